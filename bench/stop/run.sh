#!/bin/sh
# Stop latency of every archiver library: how long its main entry takes to return after
# the host asks it to stop (its callback answers 0, or its status window is closed for
# ZIP, which has no callback). Per library and method, STOPS (20) stops at random
# moments between 0.2 s and 1.5 s into the work on the fixed corpus (bench/corpus.sh),
# once on the machine as it is and once with a CPU hog per core in a second process.
# Prints the median and the worst latency in milliseconds.
# Usage: bench/stop/run.sh [build folder]   (the libraries and vexel_stop_driver in bin/)
# CASES='BZIP2|ZIP' measures only the methods whose names match this extended regex.
# Results: stdout and bench/out/stop-results.txt.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")
stops=${STOPS:-20}

# SKIP_BUILD=1: measure the libraries and driver already in <build folder>/bin (an
# earlier revision's, say). Otherwise configured every time: an older build folder may
# lack the benchmark drivers.
if [ -z "${SKIP_BUILD:-}" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" --target unlha32 zip32 zip32j cab32 bga32 vexel_stop_driver -j2 >/dev/null
fi
driver="$build/bin/vexel_stop_driver"
corpus=$("$root/bench/corpus.sh")
base=$(dirname "$corpus")
work="$base/stop-work"
rm -rf "$work"
mkdir -p "$work"
hogs=""
cleanup() {
  for pid in $hogs; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT INT TERM
printf '"%s/*.*"\n' "$(basename "$corpus")" >"$work/krytmp.lst"
results="$base/stop-results.txt"

# measure NAME LIB PREFIX SWITCHES EXT HOW: STOPS stops; prints median and worst.
# CASES=<extended regex>: only the cases whose NAME matches (e.g. CASES='LHA|LZX').
measure() {
  if [ -n "${CASES:-}" ] && ! echo "$1" | grep -Eq "$CASES"; then
    return 0
  fi
  i=0
  : >"$work/times"
  while [ "$i" -lt "$stops" ]; do
    at=$(awk -v seed="$i$$" 'BEGIN { srand(seed); printf "%d", 200 + rand() * 1300 }')
    rm -f "$work/a.$5"
    line=$("$driver" "$build/bin/$2" "$3" "$4 \"$work/a.$5\" \"$base/\" @$work/krytmp.lst" "$at" "$6")
    case $line in
      stopped*) echo "$line" | awk '{ print $2 }' >>"$work/times" ;;
      *) echo "$1: the work ended before the stop at $at ms ($line)" >&2 ;;
    esac
    i=$((i + 1))
  done
  sort -n "$work/times" | awk -v name="$1" -v load="$load" '
    { t[NR] = $1 }
    END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
          printf "%-12s %-7s %3d stops  median %7.1f ms  worst %7.1f ms\n", name, load, NR, m, t[NR] }' |
    tee -a "$results"
}

all() {
  measure "LHA -lh5-" unlha32.so Unlha "a -x1 -r2 -y1 -gm -jm2" lzh callback
  measure "LHA -lh7-" unlha32.so Unlha "a -x1 -r2 -y1 -gm -jm4" lzh callback
  measure "CAB MSZIP" cab32.so Cab "-a -r -mz" cab callback
  measure "CAB LZX:21" cab32.so Cab "-a -r -ml:21" cab callback
  measure "GZIP -9" bga32.so Bga "a -r -l9" gza callback
  measure "BZIP2 -9" bga32.so Bga "a -r -l9" bza callback
  measure "ZIP -9" zip32j.so Zip "-r -9" zip close
  measure "ZIP -6" zip32j.so Zip "-r -6" zip close
  measure "ZIP -1" zip32j.so Zip "-r -1" zip close
}

{
  echo "Stop latency, $(date -u '+%Y-%m-%d %H:%M UTC'), $(git -C "$root" rev-parse --short HEAD), corpus $(du -sb "$corpus" | cut -f1) bytes"
  echo "load before: $(uptime | sed 's/.*load/load/')"
} | tee "$results"
load=as-is
all
for cpu in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  hogs="$hogs $!"
done
load=hogged
all
echo "load after: $(uptime | sed 's/.*load/load/')" | tee -a "$results"
