#!/bin/sh
# Times the -lhN- encoder of this tree against the one of an earlier revision on the
# same input, alternating runs, with the tuning driver (compression only, no file
# I/O in the time). Both are compiled here with g++ -O2, as RelWithDebInfo does.
#   bench/lha/compare-revision.sh REV [method 5|6|7] [runs] [files...]
# Default: -lh7-, 3 runs each, the corpus's text. Prints bytes in, bytes out and
# seconds per run, then the mean time ratio (this tree / REV; below 1 is faster).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
rev=${1:?usage: $0 REV [method] [runs] [files...]}
method=${2:-7}
runs=${3:-3}
[ $# -gt 3 ] && shift 3 || set --
if [ $# -eq 0 ]; then
  corpus=$("$root/bench/corpus.sh")
  set -- "$corpus"/text/*
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# build NAME TREEISH: the codec kit and the driver of TREEISH into $work/NAME.
build() {
  mkdir -p "$work/$1/codec"
  for f in $(git -C "$root" ls-tree --name-only "$2" libs/codec/ | grep -E '\.(h|cpp)$'); do
    git -C "$root" show "$2:$f" >"$work/$1/codec/$(basename "$f")"
  done
  git -C "$root" show "$2:bench/lha/LhTuneDriver.cpp" >"$work/$1/driver.cpp"
  g++ -std=c++20 -O2 -DNDEBUG -I"$work/$1" "$work/$1"/codec/*.cpp "$work/$1/driver.cpp" -pthread -o "$work/$1/driver"
}
build old "$rev"
# This tree as it stands on disk, uncommitted edits included.
mkdir -p "$work/new/codec"
cp "$root"/libs/codec/*.h "$root"/libs/codec/*.cpp "$work/new/codec/"
cp "$root/bench/lha/LhTuneDriver.cpp" "$work/new/driver.cpp"
g++ -std=c++20 -O2 -DNDEBUG -I"$work/new" "$work/new"/codec/*.cpp "$work/new/driver.cpp" -pthread -o "$work/new/driver"

echo "load $(cut -d' ' -f1-3 /proc/loadavg); -lh$method-; $runs runs each"
i=0
while [ "$i" -lt "$runs" ]; do
  for side in old new; do
    printf '%s ' "$side"
    "$work/$side/driver" "$method" 0 0 "$@" | tee -a "$work/$side.times"
  done
  i=$((i + 1))
done
awk 'FNR == NR { old += $3; next } { new += $3 } END { printf "time ratio (this tree / REV): %.3f\n", new / old }' \
  "$work/old.times" "$work/new.times"
