#!/bin/sh
# The whole run's own cost, and what Vexel saves a user who would script it otherwise.
# On one input (a slice of the benchmark corpus, bench/corpus.sh), in one go:
#   A  vexel --batch over the five built-in formats at the default settings
#      (LHA lh5, ZIP 6, CAB MSZIP, GZIP 9, BZIP2 9), display off as in batch mode;
#   B  the same five library calls alone, each through vexel_lib_driver with the very
#      command line the run passes: A / B - 1 is the run's overhead (target < 3%);
#   C  7zz a -tzip -mx=9 plus tar | bzip2 -9, keeping the smaller: what a user would
#      otherwise script; compared by time and by the size kept.
# Usage: sh bench/run/whole-run.sh [build folder]   (MB=16 slice size, 0 = whole corpus;
#        REPEAT=1 runs each side that often and keeps the best time)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-${BUILD:-$root/build}}" 2>/dev/null && pwd || echo "${1:-$root/build}")
mb=${MB:-16}
repeat=${REPEAT:-1}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$build" --target vexel vexel_lib_driver -j2 >/dev/null
corpus=$("$root/bench/corpus.sh")
. "$root/bench/timing.sh"

work=$(dirname "$corpus")/whole-run-work
rm -rf "$work"
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/in/slice" "$work/save" "$work/tmp" "$work/config" "$work/lib"
# The slice: corpus files in name order until MB megabytes (all of them for MB=0).
(cd "$corpus" && find . -type f | LC_ALL=C sort) | while IFS= read -r f; do
  if [ "$mb" -gt 0 ] && [ "$(du -sm "$work/in/slice" | cut -f1)" -ge "$mb" ]; then break; fi
  mkdir -p "$work/in/slice/$(dirname "$f")"
  cp "$corpus/$f" "$work/in/slice/$f"
done
input_bytes=$(du -sb "$work/in/slice" | cut -f1)

# A: the whole run.
batch() {
  rm -f "$work/save/"*
  (cd "$work/in" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
     XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" \
     "$build/bin/vexel" --batch -q --json -o whole -f LHA,ZIP,CAB,GZIP,BZIP2 -d "$work/save" slice \
     >"$work/report.json")
}
# B: the five library calls on the same list file and base folder.
printf '"slice/*.*"\n' >"$work/lib/krytmp.lst"
call() {   # LIBRARY PREFIX SWITCHES EXTENSION
  rm -f "$work/lib/krytmp$4"
  "$build/bench/vexel_lib_driver" "$build/bin/$1" "$2" \
    "$3 \"$work/lib/krytmp$4\" \"$work/in/\" @$work/lib/krytmp.lst"
}
libraries() {
  call unlha32.so Unlha "a -x1 -r2 -y1 -gm -n -jm2" .lzh
  call zip32j.so Zip "-r -6" .zip
  call cab32.so Cab "-a -r -i -mz" .cab
  call bga32.so Bga "a -r -l9" .gza
  call bga32.so Bga "a -r -l9" .bza
}
# C: what a user would script.
by_hand() {
  rm -f "$work/ref.zip" "$work/ref.tar.bz2"
  (cd "$work/in" && 7zz a -bd -bso0 -tzip -mx=9 "$work/ref.zip" slice &&
     tar cf - slice | bzip2 -9 >"$work/ref.tar.bz2")
}

best() {   # COMMAND: sets t to the best wall time of $repeat runs
  t=""
  i=0
  while [ "$i" -lt "$repeat" ]; do
    start=$(now); "$1"; e=$(elapsed "$start")
    t=$(awk -v a="$e" -v b="${t:-$e}" 'BEGIN { print (a < b) ? a : b }')
    i=$((i + 1))
  done
}

echo "load before: $(uptime)"
best batch; t_batch=$t
best libraries; t_libs=$t
best by_hand; t_hand=$t
echo "load after:  $(uptime)"

saved=$(ls "$work/save")
saved_size=$(size "$work/save/$saved")
lib_min=$(for e in lzh zip cab gza bza; do size "$work/lib/krytmp.$e"; done | sort -n | head -n 1)
ref_zip=$(size "$work/ref.zip")
ref_bz2=$(size "$work/ref.tar.bz2")
ref_min=$(( ref_zip < ref_bz2 ? ref_zip : ref_bz2 ))

echo "input: $input_bytes bytes ($(find "$work/in/slice" -type f | wc -l) files), best of $repeat"
echo "batch report: $(cat "$work/report.json")"
printf 'A vexel --batch (5 formats):      %8.3f s  saved %s: %d bytes\n' "$t_batch" "$saved" "$saved_size"
printf 'B five library calls alone:       %8.3f s  smallest: %d bytes\n' "$t_libs" "$lib_min"
printf 'C 7zz -tzip -mx=9 + tar|bzip2 -9: %8.3f s  smaller: %d bytes (zip %d, tar.bz2 %d)\n' \
  "$t_hand" "$ref_min" "$ref_zip" "$ref_bz2"
echo "run overhead A/B: $(ratio "$t_batch" "$t_libs") (target < 1.03)"
echo "time A/C: $(ratio "$t_batch" "$t_hand")   size kept A/C: $(ratio "$saved_size" "$ref_min")"
[ "$saved_size" -eq "$lib_min" ] || { echo "the run saved another size than the smallest library call" >&2; exit 1; }
