#!/bin/sh
# Benchmarks unlha32.so against jlha (Debian's jlha-utils) on the fixed corpus
# (bench/corpus.sh), in one run: archive size and wall time per method as ratios.
#   -lh5- vs jlha ao5, -lh6- vs jlha ao6, -lh7- vs jlha ao7
# and the -lh7- speed on the corpus's text in MB/s (library call, files read included).
# Usage: bench/lha/run.sh [build folder]
# Results: stdout and bench/out/lha-results.txt. Ratios below 1 favour Vexel.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")

"$root/scripts/install-deps.sh" bench
# Configured every time: an older build folder may lack the benchmark drivers.
cmake -S "$root" -B "$build" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target unlha32 vexel_lib_driver -j2 >/dev/null
driver="$build/bin/vexel_lib_driver"
corpus=$("$root/bench/corpus.sh")
base=$(dirname "$corpus")
name=$(basename "$corpus")
work="$base/lha-work"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM
results="$base/lha-results.txt"

. "$root/bench/timing.sh"
# Sum of the members' packed sizes, headers left out.
packed() { lhasa v "$1" | awk '$1 == "Total" { print $4 }'; }

# unlha LIST_ENTRY JM ARCHIVE: one library call as the run makes it; sets t_run.
unlha() {
  rm -f "$3"
  printf '"%s"\n' "$1" >"$work/krytmp.lst"
  start=$(now)
  "$driver" "$build/bin/unlha32.so" Unlha "a -x1 -r2 -y1 -gm -n -jm$2 \"$3\" \"$base/\" @$work/krytmp.lst"
  t_run=$(elapsed "$start")
}

# jlha_make FOLDER LEVEL ARCHIVE: sets t_ref.
jlha_make() {
  rm -f "$3"
  start=$(now)
  (cd "$base" && jlha "ao$2q" "$3" "$1" >/dev/null 2>&1)
  t_ref=$(elapsed "$start")
}

{
  echo "unlha32.so vs jlha, $(date -u '+%Y-%m-%d %H:%M UTC'), corpus $(du -sb "$corpus" | cut -f1) bytes in $(find "$corpus" -type f | wc -l) files"
  echo "jlha-utils $(dpkg-query -W -f='${Version}' jlha-utils); $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$results"

for n in 5 6 7; do
  jm=$((n - 3))
  unlha "$name/*.*" "$jm" "$work/v.lzh"
  t_ours=$t_run
  lhasa t "$work/v.lzh" >/dev/null
  jlha_make "$name" "$n" "$work/ref.lzh"
  printf -- '-lh%s- vs jlha ao%s   archive %10d / %10d = %s   packed %10d / %10d = %s   time %7.2fs / %7.2fs = %s\n' \
    "$n" "$n" "$(size "$work/v.lzh")" "$(size "$work/ref.lzh")" "$(ratio "$(size "$work/v.lzh")" "$(size "$work/ref.lzh")")" \
    "$(packed "$work/v.lzh")" "$(packed "$work/ref.lzh")" "$(ratio "$(packed "$work/v.lzh")" "$(packed "$work/ref.lzh")")" \
    "$t_ours" "$t_ref" "$(ratio "$t_ours" "$t_ref")" | tee -a "$results"
done

text="$name/text"
bytes=$(du -sb "$corpus/text" | cut -f1)
unlha "$text/*.*" 4 "$work/text.lzh"
jlha_make "$text" 7 "$work/text-ref.lzh"
printf -- '-lh7- on text (%d bytes): %.1f MB/s (jlha ao7: %.1f MB/s, time ratio %s); size %d / %d = %s\n' \
  "$bytes" "$(awk -v b="$bytes" -v t="$t_run" 'BEGIN { print b / t / 1e6 }')" \
  "$(awk -v b="$bytes" -v t="$t_ref" 'BEGIN { print b / t / 1e6 }')" "$(ratio "$t_run" "$t_ref")" \
  "$(size "$work/text.lzh")" "$(size "$work/text-ref.lzh")" "$(ratio "$(size "$work/text.lzh")" "$(size "$work/text-ref.lzh")")" |
  tee -a "$results"
