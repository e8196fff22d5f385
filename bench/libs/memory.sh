#!/bin/sh
# Peak memory of every archiver library on a folder of many small files, against the
# reference tools in the same run (zip -r, jlha ao5, gcab -c), measured by /usr/bin/time -v
# (maximum resident set size). The libraries are called as the program calls them, by
# bench/libs/LibraryDriver.cpp.
#   FILES=100000 (default) small files in 100 folders; a cabinet holds at most 65,535
#   files, so CAB gets its own set of CAB_FILES=65000 and is also timed refusing FILES.
# Usage: bench/libs/memory.sh [build folder]       Work folder: $TMPDIR (a tmpfs is best).
# Results: stdout and bench/out/libs-memory.txt. Ratios below 1 favour Vexel.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" 2>/dev/null && pwd || echo "${1:-$root/build}")
files=${FILES:-100000}
cab_files=${CAB_FILES:-65000}

"$root/scripts/install-deps.sh" bench
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXEL_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$build" --target unlha32 zip32 zip32j cab32 bga32 vexel_lib_driver -j2 >/dev/null
driver="$build/bin/vexel_lib_driver"
lib="$build/bin"
work=$(mktemp -d "${TMPDIR:-/tmp}/vexel-memory-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$root/bench/out"
results="$root/bench/out/libs-memory.txt"

# many COUNT FOLDER: COUNT files of 20 to 60 bytes in 100 subfolders of FOLDER.
many() {
  python3 - "$1" "$2" <<'EOF'
import os, sys
count, top = int(sys.argv[1]), sys.argv[2]
for i in range(count):
    folder = os.path.join(top, "d%03d" % (i % 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "file%06d.txt" % i), "w") as f:
        f.write("line %d of the many small files\n" % i * (1 + i % 2))
EOF
}

# peak LABEL COMMAND...: runs the command under /usr/bin/time -v in $work; sets kib to
# its peak resident set in KiB and prints a line. The exit status is shown, not judged.
peak() {
  label=$1
  shift
  rc=0
  (cd "$work" && /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>&1) || rc=$?
  kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
  printf '%-34s %8s KiB  %6.1f MiB  rc=%s\n' "$label" "$kib" "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$rc" \
    | tee -a "$results"
}

: >"$results"
echo "peak resident set, $files files ($cab_files for CAB); $(date -u +%FT%TZ)" | tee -a "$results"
many "$files" "$work/many"
many "$cab_files" "$work/cabset"
printf '"many/*.*"\n' >"$work/many.lst"
printf '"cabset/*.*"\n' >"$work/cab.lst"

peak "unlha32 (LHA -lh5-)" "$driver" "$lib/unlha32.so" Unlha "a -x1 -r2 -y1 -gm -n -jm2 \"$work/a.lzh\" \"$work/\" @$work/many.lst"
lha_lib=$kib
peak "reference: jlha ao5 (-lh5-)" sh -c "cd '$work' && jlha ao5q '$work/r.lzh' many"
echo "  ratio LHA $(awk -v a="$lha_lib" -v b="$kib" 'BEGIN { printf "%.2f", a / b }')" | tee -a "$results"

peak "zip32j (ZIP level 6)" "$driver" "$lib/zip32j.so" Zip "-r -6 \"$work/a.zip\" \"$work/\" @$work/many.lst"
zip_lib=$kib
peak "reference: zip -r -6" zip -q -r -6 "$work/r.zip" many
echo "  ratio ZIP $(awk -v a="$zip_lib" -v b="$kib" 'BEGIN { printf "%.2f", a / b }')" | tee -a "$results"

peak "bga32 (GZA level 9)" "$driver" "$lib/bga32.so" Bga "a -r -l9 \"$work/a.gza\" \"$work/\" @$work/many.lst"
peak "bga32 (BZA level 9)" "$driver" "$lib/bga32.so" Bga "a -r -l9 \"$work/a.bza\" \"$work/\" @$work/many.lst"

peak "cab32 (CAB MSZIP, $cab_files files)" "$driver" "$lib/cab32.so" Cab "-a -r -i -mz \"$work/a.cab\" \"$work/\" @$work/cab.lst"
cab_lib=$kib
peak "reference: gcab -c -z" sh -c "ulimit -s 65536; cd '$work' && gcab -c -z r.cab \$(find cabset -type f)"
echo "  ratio CAB $(awk -v a="$cab_lib" -v b="$kib" 'BEGIN { printf "%.2f", a / b }')" | tee -a "$results"
peak "cab32 refusing $files files" "$driver" "$lib/cab32.so" Cab "-a -r -i -mz \"$work/b.cab\" \"$work/\" @$work/many.lst"
echo "  its reason: $(cat "$work/out.txt")" | tee -a "$results"
