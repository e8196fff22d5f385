#!/bin/sh
# Benchmarks cab32.so on the fixed corpus (bench/corpus.sh), all in one run:
#  1. MSZIP on the whole corpus against Debian's `gcab -cz`: size and wall-time ratios
#     (targets: size within 1%, time at most 1.5x);
#  2. on the text and source part: MSZIP, LZX at every window 15..21 and `xz -6` (the
#     ceiling to approach), sizes and times, LZX as a ratio of MSZIP (target for
#     LZX:21: at most 0.90).
# Usage: bench/cab/run.sh [build folder]
# Results: stdout and bench/out/cab-results.txt.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")

"$root/scripts/install-deps.sh" bench
cmake -S "$root" -B "$build" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cab32 vexel_lib_driver -j2 >/dev/null
corpus=$("$root/bench/corpus.sh")
work=$(mktemp -d "${TMPDIR:-/tmp}/vexel-cab-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
results="$root/bench/out/cab-results.txt"

. "$root/bench/timing.sh"

# cab LIST SWITCHES: one cab32 call on the corpus files named by LIST; sets size, secs.
cab() {
  rm -f "$work/v.cab"
  start=$(now)
  "$build/bin/vexel_lib_driver" "$build/bin/cab32.so" Cab "-a -r -i $2 \"$work/v.cab\" \"$corpus/\" @$1"
  secs=$(elapsed "$start")
  size=$(size "$work/v.cab")
}

printf '"*.*"\n' >"$work/all.lst"
printf '"text/*.*"\n"source/*.*"\n' >"$work/text.lst"
{
  echo "cab32 vs reference tools, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "corpus $(du -sb "$corpus" | cut -f1) bytes in $(find "$corpus" -type f | wc -l) files; text+source $(cat "$corpus"/text/* "$corpus"/source/* | wc -c) bytes"
} | tee "$results"

cab "$work/all.lst" -mz
start=$(now)
(cd "$corpus" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs gcab -c -z "$work/ref.cab")
ref_secs=$(elapsed "$start")
ref_size=$(size "$work/ref.cab")
printf 'whole corpus  MSZIP vs gcab -cz   size %10d / %10d = %s   time %7.2fs / %7.2fs = %s\n' \
  "$size" "$ref_size" "$(ratio "$size" "$ref_size")" "$secs" "$ref_secs" "$(ratio "$secs" "$ref_secs")" | tee -a "$results"

cab "$work/text.lst" -mz
mszip=$size
printf 'text+source   MSZIP               size %10d            time %7.2fs\n' "$size" "$secs" | tee -a "$results"
for n in 15 16 17 18 19 20 21; do
  cab "$work/text.lst" "-ml:$n"
  printf 'text+source   LZX:%-2s              size %10d = %s of MSZIP   time %7.2fs\n' \
    "$n" "$size" "$(ratio "$size" "$mszip")" "$secs" | tee -a "$results"
done
start=$(now)
xz_size=$(cd "$corpus" && cat text/* source/* | xz -6 | wc -c)
printf 'text+source   xz -6 (ceiling)     size %10d = %s of MSZIP   time %7.2fs\n' \
  "$xz_size" "$(ratio "$xz_size" "$mszip")" "$(elapsed "$start")" | tee -a "$results"
