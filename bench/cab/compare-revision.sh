#!/bin/sh
# Sizes and times of this tree's LZX encoder against an earlier revision's, on the same
# inputs in the same run, alternating sides. Both sides are compiled here with g++ -O2
# (as RelWithDebInfo does): the codec kit, the cabinet writer and the tuning driver of
# each tree. Both CPU time (user + system, all threads) and wall time of the driver are
# given: on a shared, loaded machine wall time varies by tens of per cent between
# identical runs, CPU time less; an encoder with a second thread shows in wall time.
#   bench/cab/compare-revision.sh REV [window bits, default 21] [runs, default 1] [inputs]
# (inputs: any of mixed1 mixed16 mixed64, default all three)
# Inputs, the same content mix at every size (so that size and content are told apart):
#   mixed1, mixed16: 16 KiB / 256 KiB taken at every MiB of the 64 MiB file of
#                    bench/libs/sets.sh (the corpus joined: text, source, logs,
#                    binaries, compressed, small files);
#   mixed64:         that whole file.
# Every cabinet of this tree is checked with cabextract -t. Prints per input and side
# the bytes and seconds, then the ratios this tree / REV (time below 1 is faster,
# size above 1 is larger) and MB/s of wall time, so that the cost per MB can be compared
# by size.
# Results: stdout and bench/out/cab-compare.txt.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
rev=${1:?usage: $0 REV [window bits] [runs]}
bits=${2:-21}
runs=${3:-1}
[ $# -gt 3 ] && shift 3 || set -- mixed1 mixed16 mixed64
corpus=$("$root/bench/corpus.sh")
out=$(dirname "$corpus")
big="$out/sets/big/big.bin"
[ -f "$big" ] || { echo "run bench/libs/sets.sh first (it makes $big)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
results="$out/cab-compare.txt"

# compile NAME: the sources copied into $work/NAME into its driver.
compile() {
  g++ -std=c++20 -O2 -DNDEBUG -I"$work/$1" -I"$work/$1/cab32" "$work/$1"/codec/*.cpp \
    "$work/$1"/cab32/*.cpp "$work/$1/driver.cpp" -pthread -lz -o "$work/$1/driver"
}
# sources NAME TREEISH: the files the driver needs, from TREEISH.
sources() {
  mkdir -p "$work/$1/codec" "$work/$1/cab32" "$work/$1/common"
  for f in $(git -C "$root" ls-tree --name-only "$2" libs/codec/ libs/cab32/ libs/common/NameBytes.h |
      grep -E '\.(h|cpp)$' | grep -vE '/(Cab32|CabPlan)\.'); do
    dir=$(basename "$(dirname "$f")")
    git -C "$root" show "$2:$f" >"$work/$1/$dir/$(basename "$f")"
  done
  git -C "$root" show "$2:bench/cab/CabTuneDriver.cpp" >"$work/$1/driver.cpp"
}
sources old "$rev"
compile old
# This tree as it stands on disk, uncommitted edits included.
mkdir -p "$work/new/codec" "$work/new/cab32" "$work/new/common"
cp "$root"/libs/codec/*.h "$root"/libs/codec/*.cpp "$work/new/codec/"
cp "$root"/libs/cab32/*.h "$root"/libs/cab32/*.cpp "$work/new/cab32/"
rm -f "$work/new/cab32/Cab32.cpp" "$work/new/cab32/CabPlan.cpp"
cp "$root/libs/common/NameBytes.h" "$work/new/common/"
cp "$root/bench/cab/CabTuneDriver.cpp" "$work/new/driver.cpp"
compile new
cc -O2 -o "$work/cputime" "$root/bench/cputime.c"

# sample N: N/64 of every MiB of the 64 MiB file.
sample() {
  piece=$(($1 * 16))
  i=0
  while [ "$i" -lt 64 ]; do
    dd if="$big" bs=1024 skip=$((i * 1024)) count="$piece" 2>/dev/null
    i=$((i + 1))
  done
}
sample 1 >"$work/mixed1.bin"
sample 16 >"$work/mixed16.bin"
ln -s "$big" "$work/mixed64.bin"

{
  echo "LZX:$bits, this tree vs $(git -C "$root" rev-parse --short "$rev"), $(date -u '+%Y-%m-%d %H:%M UTC'),"
  echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), $runs run(s) each"
} | tee "$results"
for input in "$@"; do
  rm -f "$work"/*.times
  i=0
  while [ "$i" -lt "$runs" ]; do
    for side in old new; do
      "$work/cputime" "$work/cpu" "$work/$side/driver" "$work/$side.cab" "lzx:$bits" "$work/$input.bin" |
        cut -d' ' -f1 >"$work/size"
      printf '%s %s\n' "$(cat "$work/size")" "$(awk '{ print $1 + $2, $3 }' "$work/cpu")" >>"$work/$side.times"
    done
    i=$((i + 1))
  done
  cabextract -t "$work/new.cab" >/dev/null 2>&1 || { echo "cabextract refuses this tree's $input cabinet" >&2; exit 1; }
  awk -v input="$input" -v bytes="$(stat -L -c %s "$work/$input.bin")" '
    FNR == NR { os = $1; ot += $2; ow += $3; n++; next } { ns = $1; nt += $2; nw += $3 }
    END { printf "%-8s %9d bytes  old %9d B cpu %7.3fs wall %7.3fs %5.2f MB/s  new %9d B cpu %7.3fs wall %7.3fs %5.2f MB/s  size %.4f  cpu time %.3f  wall time %.3f\n",
                 input, bytes, os, ot / n, ow / n, bytes / ow * n / 1e6, ns, nt / n, nw / n, bytes / nw * n / 1e6,
                 ns / os, nt / ot, nw / ow }' \
    "$work/old.times" "$work/new.times" | tee -a "$results"
done
