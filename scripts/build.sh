#!/bin/sh
# Configures and builds Vexel into ./build (the program and its archiver libraries in
# build/bin). Extra arguments go to CMake, e.g. -DVEXEL_BUILD_TESTS=OFF.
set -eu
cd "$(dirname "$0")/.."
# Ninja where it is installed: a new build folder gets it, an existing one keeps the
# generator it was made with.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j"$(nproc)"
