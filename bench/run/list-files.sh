#!/bin/sh
# Writing the run's list files (.lst, .kst, .btt) for 100,000 entries: Vexel's own code
# (list-files-driver) against awk writing the same bytes from the same entries, in the
# same run. Prints the best of REPEAT wall times of each whole process and their ratio,
# plus the driver's own time for the writing alone (target: under 0.5 s).
# Usage: sh bench/run/list-files.sh   (BUILD=<build folder> N=<entries> REPEAT=<runs>)
set -eu
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
N=${N:-100000}
REPEAT=${REPEAT:-5}

cmake -S . -B "$BUILD" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target list-files-driver -j2 >/dev/null
driver="$BUILD/bench/list-files-driver"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir "$work/vexel" "$work/ref"
base="/home/vexel bench/project/"

# One folder entry per 50 files, as a drop of folders and files gives.
awk -v n="$N" -v b="$base" 'BEGIN {
  for (i = 0; i < n; i++)
    if (i % 50 == 0) printf "%sdir%04d/*.*\n", b, i / 50
    else printf "%sdir%04d/file-%06d.txt\n", b, i / 50, i
}' >"$work/entries"

reference() {
  awk -v b="$base" -v o="$work/ref/krytmp" '
    { r = substr($0, length(b) + 1); print "\"" r "\"" > (o ".lst"); print r > (o ".kst") }
    END { print "cd '\''" b "'\''" > (o ".btt") }' "$work/entries"
}

now() { date +%s.%N; }
best() { awk 'NR == 1 || $1 < m { m = $1 } END { printf "%.4f", m }'; }

: >"$work/t-vexel"; : >"$work/t-ref"; : >"$work/t-inner"
i=0
while [ "$i" -lt "$REPEAT" ]; do
  t0=$(now); "$driver" "$work/entries" "$work/vexel" >>"$work/t-inner"; t1=$(now)
  reference; t2=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }' >>"$work/t-vexel"
  awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }' >>"$work/t-ref"
  i=$((i + 1))
done

for f in lst kst btt; do
  cmp -s "$work/vexel/krytmp.$f" "$work/ref/krytmp.$f" ||
    { echo "krytmp.$f differs from the reference" >&2; exit 1; }
done

vexel=$(best <"$work/t-vexel")
ref=$(best <"$work/t-ref")
inner=$(best <"$work/t-inner")
echo "entries: $N (best of $REPEAT)"
echo "vexel list-files-driver (whole process): $vexel s"
echo "reference awk (whole process):          $ref s"
echo "ratio vexel / awk:                      $(awk -v a="$vexel" -v b="$ref" 'BEGIN { printf "%.2f", a / b }')"
echo "vexel writing alone (target < 0.5 s):   $inner s"
