#!/bin/sh
# Configures and builds Vexel into ./build (the program and its archiver libraries in
# build/bin). Extra arguments go to CMake, e.g. -DVEXEL_BUILD_TESTS=OFF.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j"$(nproc)"
