#!/bin/sh
# Folder tree: time to open a folder of 5,000 / 10,000 / 20,000 subfolders in a tree that
# already holds 20,000 nodes. "indexed" is the program's tree; "linear" is the former
# lookup that scanned every node for every new folder, timed at smaller sizes because
# it grows with subfolders times nodes. References in the same run: `find` listing the
# folder (find1) and `find` also reading every subfolder (find2), which is the disk work
# the tree does when it probes each child for a first subfolder.
# Environment: BUILD_DIR (default build), SIZES (default 5000,10000,20000),
# LINEAR_SIZES (default 500,1000,2000).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$repo/build}
cmake -S "$repo" -B "$build" -DVEXEL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target dirtree_bench -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$repo/bench/out"
QT_QPA_PLATFORM=offscreen "$build/bench/dirtree_bench" "$work" "${SIZES:-5000,10000,20000}" \
  "${LINEAR_SIZES:-500,1000,2000}" 2>/dev/null | tee "$repo/bench/out/dirtree.txt"
