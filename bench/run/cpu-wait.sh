#!/bin/sh
# CPU time of waiting for a command-line archiver that works 5 s.
# Vexel's wait (startScript + waitForExit letting events through) against a reference:
# a shell that starts the same fake archiver and blocks in its own `wait`.
# Target: Vexel under 0.05 s of CPU; the script fails when it is missed.
# Usage: sh bench/run/cpu-wait.sh   (BUILD=<build folder>)
set -eu
cd "$(dirname "$0")/../.."
build=${BUILD:-build}
cmake -S . -B "$build" -DVEXEL_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target cpu-wait-driver -j2 >/dev/null
fake=$(cd "$build/tests/fakes/bin" && pwd)/rar
export VEXEL_FAKE_WORK_MS='rar=5000'

measured=$("$build/bench/cpu-wait-driver" "$fake")   # fails the script when the wait fails
vexel=$(printf '%s\n' "$measured" | sed -n 's/^cpu_seconds=\([0-9.]*\).*/\1/p')

# bash's `times` prints its own user and system time first (in ms), its children's second.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
: > "$scratch/list"
reference=$(bash -c '"$1" a -r "$2/archive.rar" "@$2/list" >/dev/null & wait; times' sh "$fake" "$scratch" |
  head -n 1 | awk '{ n = 0; for (i = 1; i <= 2; i++) { split($i, p, "m"); n += p[1] * 60 + p[2] } print n }')

awk -v v="$vexel" -v r="$reference" 'BEGIN {
  printf "vexel wait:     %.4f s CPU over 5 s (target < 0.05)\n", v
  printf "reference wait: %.4f s CPU (bash: fake & wait, start-up included)\n", r
  if (r > 0) printf "ratio vexel/reference: %.1f\n", v / r
  else printf "ratio vexel/reference: reference below clock resolution\n"
  exit (v < 0.05) ? 0 : 1 }'
