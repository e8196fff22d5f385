#!/bin/sh
# Peak memory of -lh7- (unlha32.so through the library driver, /usr/bin/time's maximum
# RSS) at growing input sizes of the same content, so that size and content are told
# apart: incompressible data costs more (a token per byte) than text at any size.
#   text:  the corpus's text and source, repeated, cut to 1, 4, 16 and 64 MiB
#   mixed: 1 MiB sampled evenly (16 KiB every MiB) from the 64 MiB file of
#          bench/libs/sets.sh, and that whole file
# Usage: bench/lha/memory.sh [build folder]      (after bench/libs/sets.sh has made its sets)
# Results: stdout and bench/out/lha-memory.txt. Flat means the same peak at every size.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target unlha32 vexel_lib_driver -j2 >/dev/null
corpus=$("$root/bench/corpus.sh")
out=$(dirname "$corpus")
big="$out/sets/big/big.bin"
[ -f "$big" ] || { echo "run bench/libs/sets.sh first (it makes $big)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
results="$out/lha-memory.txt"

(cd "$corpus" && for i in 1 2 3 4 5; do find text source -type f | LC_ALL=C sort | xargs cat; done) |
  head -c $((64 << 20)) >"$work/text64.bin" || true
for n in 1 4 16; do head -c $((n << 20)) "$work/text64.bin" >"$work/text$n.bin"; done
i=0
while [ "$i" -lt 64 ]; do
  dd if="$big" bs=16384 skip=$((i * 64)) count=1 2>/dev/null
  i=$((i + 1))
done >"$work/mixed1.bin"
cp "$big" "$work/mixed64.bin"

echo "-lh7- peak RSS, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$results"
for input in text1 text4 text16 text64 mixed1 mixed64; do
  printf '"%s.bin"\n' "$input" >"$work/krytmp.lst"
  rm -f "$work/m.lzh"
  /usr/bin/time -f %M -o "$work/rss" "$build/bin/vexel_lib_driver" "$build/bin/unlha32.so" Unlha \
    "a -x1 -r2 -y1 -gm -n -jm4 \"$work/m.lzh\" \"$work/\" @$work/krytmp.lst" >/dev/null
  printf '%-8s %9d bytes   peak RSS %8d KiB\n' "$input" "$(stat -c %s "$work/$input.bin")" "$(cat "$work/rss")" | tee -a "$results"
done
