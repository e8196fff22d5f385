#!/bin/sh
# Installs what the tests need, builds everything and runs every test; then the two
# sanitizer steps, each in a build folder of its own that builds only its tests:
#   build-asan  VEXEL_SANITIZE=address,undefined  tests labelled "sanitize"
#   build-tsan  VEXEL_SANITIZE=thread             tests labelled "tsan"
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi

# Every build here compiles a target's sources in batches (unity build: the Qt and
# GoogleTest headers are parsed once per batch, not once per source) and keeps line
# tables only (-g1): enough for backtraces and sanitizer reports, far cheaper to build
# than full debug information.
lean="-O2 -g1 -DNDEBUG"
scripts/build.sh -DVEXEL_BUILD_TESTS=ON -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$lean" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$lean"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 1200)

# sanitized FOLDER SANITIZERS LABEL [ctest arguments]: builds the label's tests with the
# sanitizers and runs them.
sanitized() {
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON \
    -DVEXEL_SANITIZE="$2" -DCMAKE_UNITY_BUILD=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$lean" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$lean" >/dev/null
  cmake --build "$1" -j"$jobs" --target "vexel_$3_tests"
  folder=$1 label=$3
  shift 3
  (cd "$folder" && ctest --output-on-failure -j"$jobs" --timeout 1200 -L "$label" "$@")
}
export ASAN_OPTIONS=abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
sanitized build-asan address,undefined sanitize
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# The big round trips (corpus, 20 MB, many chunk rounds) take minutes under TSan and run
# no thread that the cancel, callback and chunk-pair tests do not already run.
sanitized build-tsan thread tsan -E 'Corpus|TwentyMegabytes|SeveralRounds'
