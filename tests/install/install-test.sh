#!/bin/sh
# cmake --install into a temporary prefix: the installed vexel --batch finds its
# libraries in <prefix>/lib/vexel/ (nothing else offers them) and makes an archive that
# 7zz accepts; the desktop entry, metainfo and man page pass their validators.
# Usage: install-test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/vexel lib/vexel/unlha32.so lib/vexel/zip32.so lib/vexel/zip32j.so \
         lib/vexel/cab32.so lib/vexel/bga32.so share/applications/club.korvane.Vexel.desktop \
         share/metainfo/club.korvane.Vexel.metainfo.xml share/man/man1/vexel.1 \
         share/kio/servicemenus/vexel-servicemenu.desktop \
         share/icons/hicolor/scalable/apps/vexel.svg; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 32 48 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/vexel.png
  [ -f "$png" ] || fail "icon $size missing"
  # PNG header: width and height are the big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
  [ "$dims" = "${size}x${size}" ] || fail "icon $size is $dims"
done

# A run of the installed program in a clean environment without a display: the only
# copy of the libraries it can find is the installed one.
mkdir -p "$work/data/sub dir" "$work/save" "$work/tmp" "$work/config"
seq 1 20000 >"$work/data/numbers.txt"
printf 'x %.0s' $(seq 1 500) >"$work/data/sub dir/x.txt"
(cd "$work/data" && env -i PATH=/usr/bin:/bin HOME="$work" XDG_CONFIG_HOME="$work/config" \
   TMPDIR="$work/tmp" "$prefix/bin/vexel" --batch -q -o out.zip -d "$work/save" .) ||
  fail "installed vexel --batch failed"
7zz t "$work/save/out.zip" >"$work/7zz.log" 2>&1 || { cat "$work/7zz.log"; fail "7zz t"; }
grep -q "Files: 2" "$work/7zz.log" || { cat "$work/7zz.log"; fail "7zz: expected 2 files"; }
[ -z "$(find "$work/config" "$work/tmp" -mindepth 1)" ] || fail "settings or temporary files left"

desktop-file-validate "$prefix/share/applications/club.korvane.Vexel.desktop" || fail "desktop entry"
grep -qx 'Exec=vexel %F' "$prefix/share/applications/club.korvane.Vexel.desktop" || fail "Exec"
! grep -q '^MimeType=' "$prefix/share/applications/club.korvane.Vexel.desktop" ||
  fail "the desktop entry must not claim MIME types"
grep -qx 'Name=Vexelで最小の書庫を作る' "$prefix/share/kio/servicemenus/vexel-servicemenu.desktop" ||
  fail "service menu name"
appstreamcli validate --no-net "$prefix/share/metainfo/club.korvane.Vexel.metainfo.xml" || fail "metainfo"
man -l "$prefix/share/man/man1/vexel.1" >"$work/man.txt" 2>"$work/man.err" || fail "man -l"
[ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man page warnings"; }
grep -q 'EXIT STATUS' "$work/man.txt" && grep -q 'Korvane Club.ini' "$work/man.txt" || fail "man page text"
echo "install test passed"
