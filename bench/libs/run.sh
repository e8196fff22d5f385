#!/bin/sh
# Benchmarks Vexel's ZIP and GZA/BZA libraries against the reference tools on the fixed
# corpus (bench/corpus.sh), in one run: archive size and wall time as ratios.
#   ZIP  vs  zip -r -N   and  7zz a -tzip -mx=N
#   GZA  vs  gzip -N     (every file compressed on its own, as GZA members are)
#   BZA  vs  bzip2 -N    (likewise)
# Usage: bench/libs/run.sh [build folder]      (LEVELS="1 6 9", REPEAT=3 by default)
# Each timing is the best of REPEAT runs, which keeps a busy machine's noise out of the
# ratios.
# Results: stdout and bench/out/libs-results.txt. Ratios below 1 favour Vexel.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")
levels=${LEVELS:-"1 6 9"}
repeat=${REPEAT:-3}

"$root/scripts/install-deps.sh" bench
# Configured every time: an older build folder may lack the benchmark drivers.
cmake -S "$root" -B "$build" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target zip32 zip32j bga32 vexel_lib_driver -j2 >/dev/null
driver="$build/bin/vexel_lib_driver"
corpus=$("$root/bench/corpus.sh")
base=$(dirname "$corpus")
work="$base/libs-work"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT INT TERM
printf '"%s/*.*"\n' "$(basename "$corpus")" >"$work/krytmp.lst"
results="$base/libs-results.txt"

. "$root/bench/timing.sh"

# best_time COMMAND...: runs the command $repeat times; sets t_best to the shortest run.
best_time() {
  t_best=""
  i=0
  while [ "$i" -lt "$repeat" ]; do
    start=$(now)
    "$@"
    t=$(elapsed "$start")
    t_best=$(awk -v a="$t" -v b="${t_best:-$t}" 'BEGIN { print (a < b) ? a : b }')
    i=$((i + 1))
  done
}

# library LIB PREFIX SWITCHES ARCHIVE: one call of a library entry, on a fresh archive.
library() {
  rm -f "$4"
  "$driver" "$build/bin/$1" "$2" "$3 \"$4\" \"$base/\" @$work/krytmp.lst"
}
zip_ref() { rm -f "$work/ref.zip"; (cd "$base" && zip -q -r "-$1" "$work/ref.zip" "$(basename "$corpus")"); }
sevenzip_ref() {
  rm -f "$work/ref7.zip"
  (cd "$base" && 7zz a -bd -bso0 -tzip "-mx=$1" "$work/ref7.zip" "$(basename "$corpus")")
}
# each_file TOOL LEVEL: every corpus file compressed on its own; prints the summed size.
each_file() { (cd "$base" && find "$(basename "$corpus")" -type f -print0 | xargs -0 "$1" "-$2" -c | wc -c); }

# The bytes that GZA/BZA spend on member headers and names (28 + name per member, an
# empty folder's name with its trailing separator; other folders have no member):
# what per-file gzip/bzip2 output lacks.
metadata=$(cd "$base" && find "$(basename "$corpus")" \( -type d -empty -printf '%p/\n' \) -o \( -type f -printf '%p\n' \) |
  LC_ALL=C awk '{ bytes += 28 + length($0) } END { print bytes }')

report() { # FORMAT LEVEL REFERENCE OUR_SIZE REF_SIZE OUR_TIME REF_TIME
  printf '%-4s -%s vs %-14s size %10d / %10d = %s   time %7.2fs / %7.2fs = %s\n' \
    "$1" "$2" "$3" "$4" "$5" "$(ratio "$4" "$5")" "$6" "$7" "$(ratio "$6" "$7")" | tee -a "$results"
}

payload() { # OUR_SIZE REF_SIZE: the same comparison without the headers and names
  printf '         payloads only    size %10d / %10d = %s   (headers and names: %d bytes)\n' \
    "$(($1 - metadata))" "$2" "$(ratio "$(($1 - metadata))" "$2")" "$metadata" | tee -a "$results"
}

{
  echo "Vexel libraries vs reference tools, $(date -u '+%Y-%m-%d %H:%M UTC'), corpus $(du -sb "$corpus" | cut -f1) bytes in $(find "$corpus" -type f | wc -l) files"
  echo "$(zip -v | sed -n 2p | sed 's/^ *//'); 7zz $(7zz | sed -n 2p | awk '{print $3}'); $(gzip --version | head -1); $(bzip2 --help 2>&1 | head -1)"
} | tee "$results"

for n in $levels; do
  best_time library zip32j.so Zip "-r -$n" "$work/v.zip"
  ours=$(size "$work/v.zip"); t_ours=$t_best
  best_time zip_ref "$n"
  report ZIP "$n" "zip -r -$n" "$ours" "$(size "$work/ref.zip")" "$t_ours" "$t_best"
  best_time sevenzip_ref "$n"
  report ZIP "$n" "7zz -tzip -mx=$n" "$ours" "$(size "$work/ref7.zip")" "$t_ours" "$t_best"
  rm -f "$work/ref.zip" "$work/ref7.zip" "$work/v.zip"

  for format in gza:gzip bza:bzip2; do
    ext=${format%%:*}
    tool=${format#*:}
    best_time library bga32.so Bga "a -r -l$n" "$work/v.$ext"
    ours=$(size "$work/v.$ext"); t_ours=$t_best
    best_time each_file "$tool" "$n" >"$work/ref.size"
    report "$(echo "$ext" | tr a-z A-Z)" "$n" "$tool -$n" "$ours" "$(tail -1 "$work/ref.size")" "$t_ours" "$t_best"
    payload "$ours" "$(tail -1 "$work/ref.size")"
    rm -f "$work/v.$ext"
  done
done
