#!/bin/sh
# Header leanness, ZIP level 9 and -lh7- memory on three inputs the other benchmarks
# lack, each figure a ratio against a reference tool in the same run:
#   many:  10,000 small files (cut from the corpus's text and source) in 100 folders,
#          plus empty folders;
#   big:   one 64 MiB file (the corpus's files joined, text first, its start repeated at the end);
#   parts: the corpus's own parts (bin, compressed, logs, small, source, text).
# Figures:
#   LHA -lh7- on many       vs jlha ao7                  archive size, time
#   GZA / BZA -9 on many    vs gzip -9 / bzip2 -9 per file  size, time
#   ZIP -9 on every input   vs 7zz a -tzip -mx=9          size, time
# (-lh7- peak memory by input size: bench/lha/memory.sh, on the 64 MiB file made here.)
# With a second build folder (an earlier revision's), its libraries are measured in the
# same run too, each line marked with the folder's name.
# Usage: bench/libs/sets.sh [build folder] [earlier build folder]
# Results: stdout and bench/out/sets-results.txt. Ratios below 1 favour Vexel.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
builds="$(cd "${1:-$root/build}" && pwd)"
[ $# -ge 2 ] && builds="$builds $(cd "$2" && pwd)"

"$root/scripts/install-deps.sh" bench
for b in $builds; do
  cmake --build "$b" --target zip32 zip32j bga32 unlha32 vexel_lib_driver -j2 >/dev/null
done
corpus=$("$root/bench/corpus.sh")
out=$(dirname "$corpus")
sets="$out/sets"
work="$out/sets-work"
results="$out/sets-results.txt"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM
. "$root/bench/timing.sh"

# The inputs, made once: the same bytes on every machine (the corpus is fixed).
if [ ! -f "$sets/done" ]; then
  rm -rf "$sets"
  mkdir -p "$sets/many" "$sets/big"
  (cd "$corpus" && find text source -type f | LC_ALL=C sort | xargs cat) >"$work/stream"
  # 10,000 pieces of 200..3,999 bytes, lengths from a fixed sequence.
  awk -v dir="$sets/many" 'BEGIN {
      srand(17); at = 0
      for (i = 0; i < 10000; i++) {
        len = 200 + int(rand() * 3800)
        printf "%d %d %s/d%02d/f%05d.txt\n", at, len, dir, i % 100, i
        at += len
      }
    }' >"$work/pieces"
  for d in $(seq -w 0 99); do mkdir -p "$sets/many/d$d"; done
  python3 - "$work/stream" "$work/pieces" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
for line in open(sys.argv[2]):
    at, n, path = line.split(' ', 2)
    at, n = int(at) % (len(data) - 8192), int(n)
    open(path.rstrip('\n'), 'wb').write(data[at:at + n])
EOF
  mkdir -p "$sets/many/empty" "$sets/many/d00/empty inside"
  # The corpus is a little under 64 MiB: its start follows again, beyond any window.
  (cd "$corpus" && for i in 1 2; do find text source logs bin compressed small -type f | LC_ALL=C sort | xargs cat; done) |
    head -c $((64 << 20)) >"$sets/big/big.bin"
  : >"$sets/done"
fi

{
  echo "Vexel libraries on extra sets, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "many: $(find "$sets/many" -type f | wc -l) files, $(du -sb "$sets/many" | cut -f1) bytes; big: $(size "$sets/big/big.bin") bytes"
  echo "7zz $(7zz | sed -n 2p | awk '{print $3}'); jlha-utils $(dpkg-query -W -f='${Version}' jlha-utils); $(gzip --version | head -1)"
} | tee "$results"

line() { printf '%-12s %-32s size %10d / %10d = %s   time %7.2fs / %7.2fs = %s   (load %s)\n' \
  "$1" "$2" "$3" "$4" "$(ratio "$3" "$4")" "$5" "$6" "$(ratio "$5" "$6")" "$(cut -d' ' -f1 /proc/loadavg)" | tee -a "$results"; }

# timed COMMAND...: runs it once; sets secs.
timed() { start=$(now); "$@"; secs=$(elapsed "$start"); }

# lib BUILD DLL PREFIX SWITCHES ARCHIVE BASE LISTLINE: one library call as the run makes it.
lib() {
  rm -f "$5"
  printf '"%s"\n' "$7" >"$work/krytmp.lst"
  "$1/bin/vexel_lib_driver" "$1/bin/$2" "$3" "$4 \"$5\" \"$6/\" @$work/krytmp.lst" >/dev/null
}

# many small files: LHA vs jlha, GZA/BZA vs gzip/bzip2 per file
timed sh -c "cd '$sets' && jlha ao7q '$work/ref.lzh' many >/dev/null 2>&1"
jlha_size=$(size "$work/ref.lzh"); jlha_secs=$secs
timed sh -c "cd '$sets' && find many -type f -print0 | xargs -0 gzip -9 -c | wc -c >'$work/gz.size'"
gz_size=$(cat "$work/gz.size"); gz_secs=$secs
timed sh -c "cd '$sets' && find many -type f -print0 | xargs -0 bzip2 -9 -c | wc -c >'$work/bz.size'"
bz_size=$(cat "$work/bz.size"); bz_secs=$secs
for b in $builds; do
  tag=$(basename "$b")
  timed lib "$b" unlha32.so Unlha "a -x1 -r2 -y1 -gm -n -jm4" "$work/v.lzh" "$sets" "many/*.*"
  lhasa t "$work/v.lzh" >/dev/null
  line "$tag" "many: LHA -lh7- vs jlha ao7" "$(size "$work/v.lzh")" "$jlha_size" "$secs" "$jlha_secs"
  timed lib "$b" bga32.so Bga "a -r -l9" "$work/v.gza" "$sets" "many/*.*"
  line "$tag" "many: GZA -9 vs gzip -9 each" "$(size "$work/v.gza")" "$gz_size" "$secs" "$gz_secs"
  timed lib "$b" bga32.so Bga "a -r -l9" "$work/v.bza" "$sets" "many/*.*"
  line "$tag" "many: BZA -9 vs bzip2 -9 each" "$(size "$work/v.bza")" "$bz_size" "$secs" "$bz_secs"
done

# ZIP level 9 against 7-Zip's strongest ZIP on every input.
zip_vs_7zz() { # LABEL BASE ITEM
  rm -f "$work/ref.zip"
  timed sh -c "cd '$2' && 7zz a -bd -bso0 -tzip -mx=9 '$work/ref.zip' '$3'"
  ref_size=$(size "$work/ref.zip"); ref_secs=$secs
  for b in $builds; do
    item=$3
    [ -d "$2/$3" ] && item="$3/*.*"
    timed lib "$b" zip32j.so Zip "-r -9" "$work/v.zip" "$2" "$item"
    unzip -tqq "$work/v.zip"
    line "$(basename "$b")" "$1: ZIP -9 vs 7zz -tzip -mx=9" "$(size "$work/v.zip")" "$ref_size" "$secs" "$ref_secs"
  done
}
zip_vs_7zz many "$sets" many
zip_vs_7zz big "$sets/big" big.bin
for part in bin compressed logs small source text; do
  zip_vs_7zz "$part" "$corpus" "$part"
done
