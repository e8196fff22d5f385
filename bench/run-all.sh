#!/bin/sh
# Runs every benchmark against its reference tools, in one go, on one build folder.
# Usage: sh bench/run-all.sh [build folder]     (default: build-bench)
# Installs the reference tools first (jlha-utils, gcab, zip, xz-utils, ...).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
cd "$root"
sh scripts/install-deps.sh bench
cmake -S "$root" -B "$build" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
export BUILD="$build" BUILD_DIR="$build"
for bench in bench/run/cpu-wait.sh bench/run/list-files.sh bench/run/whole-run.sh bench/run/parallel.sh bench/dirtree/run.sh; do
  echo "== $bench"
  sh "$bench"
done
for bench in bench/libs/run.sh bench/lha/run.sh bench/cab/run.sh; do
  echo "== $bench"
  sh "$bench" "$build"
done
