#!/bin/sh
# Peak memory of -lh7- (unlha32.so through the library driver, /usr/bin/time's maximum
# RSS) at growing input sizes of the same content, so that size and content are told
# apart: flat means the same peak at every size of a content.
#   text:   the corpus's text and source, repeated, cut to 1, 4, 16 and 64 MiB
#   mixed:  the 64 MiB file of bench/libs/sets.sh (text, source, logs, binaries and
#           compressed files) sampled evenly: 64 pieces of N/64 each, one from every MiB,
#           for N = 1, 16 MiB; the whole file for 64 MiB; four times over for 256 MiB
#   random: incompressible (a command per byte), 1 and 64 MiB
# Usage: bench/lha/memory.sh [build folder] [sizes of mixed, in MiB; default "1 16 64 256"]
#        (after bench/libs/sets.sh has made its sets)
# Results: stdout and bench/out/lha-memory.txt, with each content's spread (largest peak
# over smallest) at the end. To see what holds the memory of one input, run the same
# driver call under `heaptrack` (or valgrind's massif) and read its peak consumers.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
mixed_sizes=${2:-1 16 64 256}
cmake --build "$build" --target unlha32 vexel_lib_driver -j2 >/dev/null
corpus=$("$root/bench/corpus.sh")
out=$(dirname "$corpus")
big="$out/sets/big/big.bin"
[ -f "$big" ] || { echo "run bench/libs/sets.sh first (it makes $big)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
results="$out/lha-memory.txt"

# The text, made once; the other inputs are made one at a time, just before their run.
(cd "$corpus" && for i in 1 2 3 4 5; do find text source -type f | LC_ALL=C sort | xargs cat; done) |
  head -c $((64 << 20)) >"$work/text.all" || true

# mixed N: 64 pieces of N/64 MiB, piece i from MiB i of the 64 MiB file.
mixed() {
  if [ "$1" -ge 64 ]; then
    i=0
    while [ "$i" -lt $(($1 / 64)) ]; do cat "$big"; i=$((i + 1)); done
    return
  fi
  i=0
  while [ "$i" -lt 64 ]; do
    dd if="$big" bs=1024 skip=$((i * 1024)) count=$(($1 * 16)) 2>/dev/null
    i=$((i + 1))
  done
}

# make_input NAME: writes $work/NAME.bin, NAME being a content and a size in MiB.
make_input() {
  n=$(echo "$1" | tr -dc 0-9)
  case $1 in
    text*) head -c $((n << 20)) "$work/text.all" ;;
    mixed*) mixed "$n" ;;
    random*) head -c $((n << 20)) /dev/urandom ;;
  esac >"$work/$1.bin"
}

inputs="text1 text4 text16 text64"
for n in $mixed_sizes; do inputs="$inputs mixed$n"; done
inputs="$inputs random1 random64"

echo "-lh7- peak RSS, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$results"
for input in $inputs; do
  make_input "$input"
  printf '"%s.bin"\n' "$input" >"$work/krytmp.lst"
  rm -f "$work/m.lzh"
  /usr/bin/time -f '%M %e' -o "$work/rss" "$build/bin/vexel_lib_driver" "$build/bin/unlha32.so" Unlha \
    "a -x1 -r2 -y1 -gm -n -jm4 \"$work/m.lzh\" \"$work/\" @$work/krytmp.lst" >/dev/null
  read -r rss secs <"$work/rss"
  printf '%-10s %10d bytes -> %10d   peak RSS %8d KiB   %6.1f s\n' "$input" \
    "$(stat -c %s "$work/$input.bin")" "$(stat -c %s "$work/m.lzh")" "$rss" "$secs" | tee -a "$results"
  rm "$work/$input.bin"
done
awk '$3 == "bytes" { c = $1; sub(/[0-9]+$/, "", c); k = $8
                  if (!(c in lo) || k < lo[c]) lo[c] = k; if (k > hi[c]) hi[c] = k }
     END { for (c in lo) printf "%-7s spread %.2f (%d .. %d KiB)\n", c, hi[c] / lo[c], lo[c], hi[c] }' "$results" |
  sort | tee -a "$results"
