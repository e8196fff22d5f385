#!/bin/sh
# Benchmarks Vexel's ZIP and GZA/BZA libraries against the reference tools on the fixed
# corpus (bench/corpus.sh), in one run: archive size and wall time as ratios.
#   ZIP  vs  zip -r -N   and  7zz a -tzip -mx=N
#   GZA  vs  gzip -N     (every file compressed on its own, as GZA members are)
#   BZA  vs  bzip2 -N    (likewise)
# Usage: bench/libs/run.sh [build folder]      (LEVELS="1 6 9" by default)
# Results: stdout and bench/out/libs-results.txt. Ratios below 1 favour Vexel.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")
levels=${LEVELS:-"1 6 9"}

"$root/scripts/install-deps.sh" bench
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
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

now() { date +%s.%N; }
# elapsed START: seconds since START
elapsed() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.3f", a - b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
size() { stat -c %s "$1"; }

# run_library LIB PREFIX SWITCHES ARCHIVE: times one library call; sets t_run.
run_library() {
  rm -f "$4"
  start=$(now)
  "$driver" "$build/bin/$1" "$2" "$3 \"$4\" \"$base/\" @$work/krytmp.lst"
  t_run=$(elapsed "$start")
}

# each_file TOOL LEVEL: every corpus file compressed on its own, sizes summed; sets s_ref t_ref.
each_file() {
  start=$(now)
  s_ref=$(cd "$base" && find "$(basename "$corpus")" -type f -print0 | xargs -0 "$1" "-$2" -c | wc -c)
  t_ref=$(elapsed "$start")
}

# The bytes that GZA/BZA spend on member headers and names (28 + name per member, a
# folder's name with its trailing separator): what per-file gzip/bzip2 output lacks.
metadata=$(cd "$base" && find "$(basename "$corpus")" \( -type d -printf '%p/\n' \) -o \( -type f -printf '%p\n' \) |
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
  echo "$(zip -v | sed -n 2p | sed 's/^ *//'); 7zz $(7zz i | sed -n 2p | awk '{print $2}'); $(gzip --version | head -1); $(bzip2 --help 2>&1 | head -1)"
} | tee "$results"

for n in $levels; do
  run_library zip32j.so Zip "-r -$n" "$work/v.zip"
  ours=$(size "$work/v.zip"); t_ours=$t_run
  start=$(now); (cd "$base" && zip -q -r "-$n" "$work/ref.zip" "$(basename "$corpus")"); t_ref=$(elapsed "$start")
  report ZIP "$n" "zip -r -$n" "$ours" "$(size "$work/ref.zip")" "$t_ours" "$t_ref"
  start=$(now); (cd "$base" && 7zz a -bd -bso0 -tzip "-mx=$n" "$work/ref7.zip" "$(basename "$corpus")"); t_ref=$(elapsed "$start")
  report ZIP "$n" "7zz -tzip -mx=$n" "$ours" "$(size "$work/ref7.zip")" "$t_ours" "$t_ref"
  rm -f "$work/ref.zip" "$work/ref7.zip"

  run_library bga32.so Bga "a -r -l$n" "$work/v.gza"
  each_file gzip "$n"
  report GZA "$n" "gzip -$n" "$(size "$work/v.gza")" "$s_ref" "$t_run" "$t_ref"
  payload "$(size "$work/v.gza")" "$s_ref"

  run_library bga32.so Bga "a -r -l$n" "$work/v.bza"
  each_file bzip2 "$n"
  report BZA "$n" "bzip2 -$n" "$(size "$work/v.bza")" "$s_ref" "$t_run" "$t_ref"
  payload "$(size "$work/v.bza")" "$s_ref"
done
