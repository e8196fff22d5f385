#!/bin/sh
# Times this tree's archiver libraries against those of an earlier revision on the same
# input, alternating runs, each library called by the same driver with a callback that
# reads every progress record (an older library passes none). Shows what the progress
# record and its counting cost the libraries.
#   bench/libs/compare-revision.sh REV [runs] [build folder]
#   bench/libs/compare-revision.sh --record [runs] [build folder]
# With --record, both sides are this tree's libraries: "old" called without a callback
# (the library then fills no record at all), "new" with the reading callback; the
# ratio is then the cost of the records alone, without any difference of build.
# Input: the corpus's 2000 small files (many members) and text/notes.txt (3 MB).
# Prints CPU seconds (user + system, of the worker and the caller together) and wall
# seconds per run, then per library the ratio of the summed CPU times (new / old).
# CPU time, not wall time: on a shared, loaded machine wall time varies by tens of per
# cent between identical runs, CPU time by far less. REV's libraries are built once in
# <build folder>/compare-REV and kept there for the next comparison.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
rev=${1:?usage: $0 REV [runs] [build folder]}
runs=${2:-3}
build=$(cd "${3:-$root/build}" && pwd)
libs="unlha32 zip32 zip32j bga32"

cmake --build "$build" --target $libs vexel_lib_driver -j2 >/dev/null
if [ "$rev" = --record ]; then
  work="$build/compare-record"
  mkdir -p "$work/build"
  ln -sfn "$build/bin" "$work/build/bin"
  oldcallback=""
else
  work="$build/compare-$(git -C "$root" rev-parse --short "$rev")"
  if [ ! -d "$work/src" ]; then
    mkdir -p "$work/src"
    git -C "$root" archive "$rev" | tar -x -C "$work/src"
  fi
  cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$work/build" --target $libs -j2 >/dev/null
  oldcallback=--callback
fi
rm -f "$work"/*.times

corpus=$("$root/bench/corpus.sh")
base=$(dirname "$corpus")
name=$(basename "$corpus")
printf '"%s/small/*.*"\n"%s/text/notes.txt"\n' "$name" "$name" >"$work/krytmp.lst"
driver="$build/bin/vexel_lib_driver"
. "$root/bench/timing.sh"

# one SIDE LIB PREFIX SWITCHES EXT: one call on a fresh archive; appends "CASE cpu" to SIDE's times.
one() {
  bin="$build/bin"
  callback=--callback
  [ "$1" = old ] && bin="$work/build/bin" && callback=$oldcallback
  rm -f "$work/a$5"
  start=$(now)
  /usr/bin/time -f '%U %S' -o "$work/cpu" \
    "$driver" "$bin/$2" "$3" "$4 \"$work/a$5\" \"$base/\" @$work/krytmp.lst" $callback 2>"$work/last.err" ||
    { cat "$work/last.err" >&2; exit 1; }
  t=$(elapsed "$start")
  cpu=$(awk '{ printf "%.2f", $1 + $2 }' "$work/cpu")
  echo "${2%.so}$5 $cpu" >>"$work/$1.times"
  printf '%s %-12s cpu %6.2fs  wall %6.2fs  %s\n' "$1" "${2%.so}$5" "$cpu" "$t" "$(tail -1 "$work/last.err")"
}

echo "load $(cut -d' ' -f1-3 /proc/loadavg); $runs runs each; old: $( [ "$rev" = --record ] && echo 'this tree without a callback' || git -C "$root" rev-parse --short "$rev")"
i=0
while [ "$i" -lt "$runs" ]; do
  for side in old new; do
    one "$side" unlha32.so Unlha "a -x1 -r2 -y1 -gm -n -jm2" .lzh
    one "$side" zip32j.so Zip "-r -9" .zip
    one "$side" bga32.so Bga "a -r -l9" .gza
    one "$side" bga32.so Bga "a -r -l9" .bza
  done
  i=$((i + 1))
done
awk 'FNR == NR { old[$1] += $2; next } { new[$1] += $2 }
     END { for (k in new) { printf "%-12s CPU time ratio (new / old): %.4f\n", k, new[k] / old[k]; n += new[k]; o += old[k] }
           printf "all          CPU time ratio (new / old): %.4f\n", n / o }' "$work/old.times" "$work/new.times"
