#!/bin/sh
# Formats made at once: what a whole run of the five built-in formats costs against its
# slowest format alone. On one input (a slice of the benchmark corpus, bench/corpus.sh),
# in one go, each through vexel --batch at the default settings:
#   J1  the five formats one after another (-j 1);
#   J0  the five formats at once, as many as the machine has cores (-j 0);
#   S   each format alone; the slowest of them is the reference.
# Reported: J0 / S (target <= 1.15 on a machine with at least as many cores as formats)
# and J0 / J1; also how long an interrupt takes to end a J0 run (target < 1 s).
# Usage: sh bench/run/parallel.sh [build folder]   (MB=16: about that many megabytes of
#        the corpus, 0 = all; REPEAT=1 rounds, each side keeps its best wall time;
#        CAB=lzx:21: the cabinet method, default the stored one, MSZIP on a first start)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-${BUILD:-$root/build}}" 2>/dev/null && pwd || echo "${1:-$root/build}")
mb=${MB:-16}
repeat=${REPEAT:-1}
cab_option=${CAB:+--cab $CAB}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$build" --target vexel unlha32 zip32 zip32j cab32 bga32 -j2 >/dev/null
corpus=$("$root/bench/corpus.sh")
. "$root/bench/timing.sh"

work=$(dirname "$corpus")/parallel-work
rm -rf "$work"
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/in/slice" "$work/save" "$work/tmp" "$work/config"
# The slice: every n-th corpus file in name order, as bench/run/whole-run.sh takes it.
corpus_bytes=$(du -sb "$corpus" | cut -f1)
step=$(( mb > 0 ? (corpus_bytes + mb * 1048576 - 1) / (mb * 1048576) : 1 ))
(cd "$corpus" && find . -type f -printf '%P\n' | LC_ALL=C sort) |
  awk -v step="$step" '(NR - 1) % step == 0' >"$work/slice.list"
(cd "$corpus" && tar cf - -T "$work/slice.list") | (cd "$work/in/slice" && tar xf -)
input_bytes=$(du -sb "$work/in/slice" | cut -f1)

formats="LHA ZIP CAB GZIP BZIP2"
# batch JOBS FORMATS: one run of vexel --batch; its JSON report into $work/report.json.
batch() {
  rm -f "$work/save/"*
  (cd "$work/in" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
     XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" \
     "$build/bin/vexel" --batch -q --json -j "$1" $cab_option -o whole -f "$2" -d "$work/save" slice \
     >"$work/report.json")
}
# measure NAME JOBS FORMATS: one timed run, its wall seconds noted for NAME.
measure() {
  start=$(now)
  batch "$2" "$3"
  elapsed "$start" >>"$work/times.$1"
  echo >>"$work/times.$1"
}
best() { sort -n "$work/times.$1" | grep . | head -n 1; }

echo "load before: $(uptime)"
echo "cores: $(nproc)"
i=0
while [ "$i" -lt "$repeat" ]; do
  measure j1 1 LHA,ZIP,CAB,GZIP,BZIP2
  cp "$work/report.json" "$work/report.j1"
  measure j0 0 LHA,ZIP,CAB,GZIP,BZIP2
  cp "$work/report.json" "$work/report.j0"
  for f in $formats; do measure "$f" 1 "$f"; done
  i=$((i + 1))
done
echo "load after:  $(uptime)"

# The interrupt: SIGINT a J0 run once it has worked for a while; time until it ended.
rm -f "$work/save/"*
(cd "$work/in" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
   XDG_CONFIG_HOME="$work/config" TMPDIR="$work/tmp" \
   "$build/bin/vexel" --batch -q -j 0 $cab_option -o stop -f LHA,ZIP,CAB,GZIP,BZIP2 -d "$work/save" slice \
   2>/dev/null) &
pid=$!
sleep 1.5
start=$(now)
kill -INT "$pid"
wait "$pid" || true
stop_latency=$(elapsed "$start")
left=$(find "$work/save" "$work/tmp" -mindepth 1 | wc -l)

slowest_name=""; slowest=0
echo "input: $input_bytes bytes ($(find "$work/in/slice" -type f | wc -l) files), best of $repeat"
for f in $formats; do
  t=$(best "$f")
  printf '  %-6s alone:               %8.3f s\n' "$f" "$t"
  if awk -v a="$t" -v b="$slowest" 'BEGIN { exit !(a > b) }'; then slowest=$t; slowest_name=$f; fi
done
w1=$(best j1); w0=$(best j0)
printf 'J1 whole run, one after another: %8.3f s\n' "$w1"
printf 'J0 whole run, at once:           %8.3f s\n' "$w0"
printf 'S  slowest format alone (%s):  %8.3f s\n' "$slowest_name" "$slowest"
echo "J0/S:  $(ratio "$w0" "$slowest") (target <= 1.15 with at least 5 cores)"
echo "J0/J1: $(ratio "$w0" "$w1")"
echo "interrupt of a J0 run: ended after $stop_latency s (target < 1 s); files left: $left"
cmp -s "$work/report.j0" "$work/report.j1" || { echo "J0 and J1 reports differ" >&2; exit 1; }
[ "$left" -eq 0 ] || { echo "the interrupted run left files behind" >&2; exit 1; }
