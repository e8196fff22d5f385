#!/bin/sh
# Installs what the tests need, builds everything and runs every test; then the two
# sanitizer steps, each in a build folder of its own that builds only its tests:
#   build-asan  VEXEL_SANITIZE=address,undefined  tests labelled "sanitize"
#   build-tsan  VEXEL_SANITIZE=thread             tests labelled "tsan"
# The sanitizer folders are configured and built in the background from the start, at
# the lowest priority, one job each: they take what the main build and the main tests
# leave idle (a build's serial stretches, tests that wait for windows, timers and child
# programs). Each background build writes its own log (build-asan.log, build-tsan.log);
# a failed one fails the script.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi

# Every build here compiles a target's sources in batches (unity build: the Qt and
# GoogleTest headers are parsed once per batch, not once per source). The sanitizer
# builds keep line tables only (-g1): enough for their reports' backtraces, far cheaper
# than full debug information. The main build, whose failures are assertions that name
# their own file and line, carries none: that spares 7% of its compiling and linking.
set -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_UNITY_BUILD_BATCH_SIZE=16
main_flags="-O2 -g0 -DNDEBUG"
sanitizer_flags="-O2 -g1 -DNDEBUG"

. scripts/background.sh
# sanitizer_build FOLDER SANITIZERS TARGET: configures FOLDER with the build's options and
# builds TARGET there, one job at a time, at the lowest priority.
sanitizer_build() {
  folder=$1 sanitizers=$2 target=$3
  shift 3
  nice -n 19 cmake -S . -B "$folder" "$@" -DVEXEL_SANITIZE="$sanitizers" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$sanitizer_flags" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="$sanitizer_flags" >/dev/null &&
    nice -n 19 cmake --build "$folder" -j1 --target "$target"
}
start_in_background build-asan.log sanitizer_build build-asan address,undefined \
  vexel_sanitize_tests "$@"
asan_build=$background_pid
start_in_background build-tsan.log sanitizer_build build-tsan thread vexel_tsan_tests "$@"
tsan_build=$background_pid

# A step that fails is remembered, not fatal at once: the background builds are
# always waited for, so that the script never leaves a build running behind it.
failed=""
if scripts/build.sh "$@" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$main_flags" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$main_flags"; then
  (cd build && ctest --output-on-failure -j"$jobs" --timeout 1200) || failed="$failed tests"
else
  failed="$failed build"
fi

# The thread build compiles less and is done first: its tests run while the address
# build, niced, finishes on what they leave idle (built at -j1, it would hold one core).
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
# The big round trips (corpus, 20 MB, many chunk rounds) take minutes under TSan and run
# no thread that the cancel, callback and chunk-pair tests do not already run.
if finish_background build-tsan build-tsan.log "$tsan_build"; then
  (cd build-tsan && ctest --output-on-failure -j"$jobs" --timeout 1200 -L tsan \
    -E 'Corpus|TwentyMegabytes|SeveralRounds') || failed="$failed tsan-tests"
else
  failed="$failed build-tsan"
fi

# The encoders' big buffers come and go with every stream. Handed back to the system
# after each, their pages fault in again for the next: a sixth of the property tests'
# time. Kept by the allocator instead, freed memory is poisoned and quarantined as
# before: no check is weaker.
export ASAN_OPTIONS=abort_on_error=1:allocator_release_to_os_interval_ms=-1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if finish_background build-asan build-asan.log "$asan_build"; then
  (cd build-asan && ctest --output-on-failure -j"$jobs" --timeout 1200 -L sanitize) ||
    failed="$failed sanitize-tests"
else
  failed="$failed build-asan"
fi

if [ -n "$failed" ]; then
  echo "FAILED:$failed" >&2
  exit 1
fi
echo "All tests passed."
