#!/bin/sh
# scripts/package.sh on the test build: the package holds the expected files and
# dependencies, and its extracted vexel runs. The package is never installed.
# Usage: package-test.sh SOURCE_DIR BUILD_DIR VERSION
set -eu
source=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

sh "$source/scripts/package.sh" --build-dir "$build" --out "$work" >/dev/null
arch=$(dpkg --print-architecture)
deb=$work/vexel_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$work"; fail "no $deb"; }

dpkg-deb -c "$deb" >"$work/contents"
for f in ./usr/bin/vexel ./usr/lib/vexel/unlha32.so ./usr/lib/vexel/zip32.so \
         ./usr/lib/vexel/zip32j.so ./usr/lib/vexel/cab32.so ./usr/lib/vexel/bga32.so \
         ./usr/share/applications/club.korvane.Vexel.desktop \
         ./usr/share/metainfo/club.korvane.Vexel.metainfo.xml ./usr/share/man/man1/vexel.1 \
         ./usr/share/icons/hicolor/256x256/apps/vexel.png \
         ./usr/share/kio/servicemenus/vexel-servicemenu.desktop; do
  grep -q " $f\$" "$work/contents" || fail "not in the package: $f"
done

dpkg-deb -I "$deb" >"$work/info"
field() { sed -n "s/^ $1: //p" "$work/info"; }
[ "$(field Package)" = vexel ] || fail "Package"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture"
depends=$(field Depends)
for d in libc6 libqt6core6 libqt6widgets6 zlib1g libbz2-1.0; do
  echo "$depends" | grep -q "\\b$d\\b" || fail "Depends lacks $d: $depends"
done
[ "$(field Recommends)" = fonts-noto-cjk ] || fail "Recommends: $(field Recommends)"
[ "$(field Suggests)" = rar ] || fail "Suggests: $(field Suggests)"

dpkg-deb -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/vexel" --version)" = "vexel $version" ] || fail "extracted vexel --version"
mkdir "$work/save" "$work/tmp"
seq 1 5000 >"$work/numbers.txt"
env -i PATH=/usr/bin:/bin HOME="$work" XDG_CONFIG_HOME="$work" TMPDIR="$work/tmp" \
  "$work/root/usr/bin/vexel" --batch -q -o n.lzh -d "$work/save" "$work/numbers.txt" ||
  fail "extracted vexel --batch"
[ -s "$work/save/n.lzh" ] || fail "no archive from the extracted package"
echo "package test passed"
