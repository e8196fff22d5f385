#!/bin/sh
# The whole run's own cost, and what Vexel saves a user who would script it otherwise.
# On one input (a slice of the benchmark corpus, bench/corpus.sh), in one go:
#   A  vexel --batch over the five built-in formats at the default settings
#      (LHA lh5, ZIP 6, CAB MSZIP, GZIP 9, BZIP2 9), display off as in batch mode, one
#      format after another (-j 1) as B calls them (bench/run/parallel.sh: at once);
#   B  the same five library calls alone, each through vexel_lib_driver with the very
#      command line the run passes: A / B - 1 is the run's overhead (target < 3%);
#   C  7zz a -tzip -mx=9 plus tar | bzip2 -9, keeping the smaller: what a user would
#      otherwise script; compared by time and by the size kept.
# Usage: sh bench/run/whole-run.sh [build folder]   (MB=16: about that many megabytes of the corpus, 0 = all;
#        REPEAT=1 rounds; each side keeps its best wall and its best CPU time)
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
# The slice: every n-th corpus file in name order, n chosen so that it holds about MB
# megabytes of every kind of file the corpus has (all of them for MB=0).
corpus_bytes=$(du -sb "$corpus" | cut -f1)
step=$(( mb > 0 ? (corpus_bytes + mb * 1048576 - 1) / (mb * 1048576) : 1 ))
(cd "$corpus" && find . -type f -printf '%P\n' | LC_ALL=C sort) |
  awk -v step="$step" '(NR - 1) % step == 0' >"$work/slice.list"
(cd "$corpus" && tar cf - -T "$work/slice.list") | (cd "$work/in/slice" && tar xf -)
input_bytes=$(du -sb "$work/in/slice" | cut -f1)

# A: the whole run.
batch() {
  rm -f "$work/save/"*
  (cd "$work/in" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
     XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" \
     "$build/bin/vexel" --batch -q --json -j 1 -o whole -f LHA,ZIP,CAB,GZIP,BZIP2 -d "$work/save" slice \
     >"$work/report.json")
}
# B: the five library calls on the same list file and base folder.
printf '"slice/*.*"\n' >"$work/lib/krytmp.lst"
call() {   # LIBRARY PREFIX SWITCHES EXTENSION
  rm -f "$work/lib/krytmp$4"
  "$build/bin/vexel_lib_driver" "$build/bin/$1" "$2" \
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

# Seconds of CPU (user + system) used so far by this shell's finished children, into
# $cpu. `times` runs in this shell itself: in a command substitution it would report the
# subshell's own children, none.
children_cpu() {
  times >"$work/times.now"
  cpu=$(sed -n 2p "$work/times.now" |
    awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); n += p[1] * 60 + p[2] } print n }')
}
# measure NAME COMMAND: one timed run of COMMAND, its wall and CPU seconds noted for NAME.
# CPU time is steadier than wall time on a machine shared with others.
measure() {
  children_cpu; c0=$cpu; start=$(now)
  "$2"
  w=$(elapsed "$start")
  children_cpu
  echo "$w $(awk -v a="$cpu" -v b="$c0" 'BEGIN { print a - b }')" >>"$work/times.$1"
}
best_wall() { sort -n -k1 "$work/times.$1" | head -n 1 | cut -d' ' -f1; }
best_cpu() { sort -n -k2 "$work/times.$1" | head -n 1 | cut -d' ' -f2; }

echo "load before: $(uptime)"
# Rounds interleave the three sides, so that a change of the machine's load hits them alike.
i=0
while [ "$i" -lt "$repeat" ]; do
  measure batch batch
  measure libs libraries
  measure hand by_hand
  i=$((i + 1))
done
echo "load after:  $(uptime)"
w_batch=$(best_wall batch); c_batch=$(best_cpu batch)
w_libs=$(best_wall libs); c_libs=$(best_cpu libs)
w_hand=$(best_wall hand); c_hand=$(best_cpu hand)

saved=$(ls "$work/save")
saved_size=$(size "$work/save/$saved")
lib_min=$(for e in lzh zip cab gza bza; do size "$work/lib/krytmp.$e"; done | sort -n | head -n 1)
ref_zip=$(size "$work/ref.zip")
ref_bz2=$(size "$work/ref.tar.bz2")
ref_min=$(( ref_zip < ref_bz2 ? ref_zip : ref_bz2 ))

echo "input: $input_bytes bytes ($(find "$work/in/slice" -type f | wc -l) files), best of $repeat"
echo "batch report: $(cat "$work/report.json")"
printf 'A vexel --batch (5 formats):      %8.3f s wall %8.3f s CPU  saved %s: %d bytes\n' \
  "$w_batch" "$c_batch" "$saved" "$saved_size"
printf 'B five library calls alone:       %8.3f s wall %8.3f s CPU  smallest: %d bytes\n' \
  "$w_libs" "$c_libs" "$lib_min"
printf 'C 7zz -tzip -mx=9 + tar|bzip2 -9: %8.3f s wall %8.3f s CPU  smaller: %d bytes (zip %d, tar.bz2 %d)\n' \
  "$w_hand" "$c_hand" "$ref_min" "$ref_zip" "$ref_bz2"
echo "run overhead A/B: wall $(ratio "$w_batch" "$w_libs"), CPU $(ratio "$c_batch" "$c_libs") (target < 1.03)"
echo "A/C: wall $(ratio "$w_batch" "$w_hand"), CPU $(ratio "$c_batch" "$c_hand"); size kept A/C: $(ratio "$saved_size" "$ref_min")"
[ "$saved_size" -eq "$lib_min" ] || { echo "the run saved another size than the smallest library call" >&2; exit 1; }
