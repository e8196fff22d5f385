#!/bin/sh
# Installs what the tests need, builds everything and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/build.sh -DVEXEL_BUILD_TESTS=ON
export QT_QPA_PLATFORM=offscreen
cd build && ctest --output-on-failure -j"$(nproc)" --timeout 1200
