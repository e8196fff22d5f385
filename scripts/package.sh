#!/bin/sh
# Makes the Debian package vexel_<version>_<arch>.deb with CPack (dependencies found by
# dpkg-shlibdeps; recommends fonts-noto-cjk, suggests rar). It does not install it.
# Usage: scripts/package.sh [--build-dir DIR] [--out DIR]
#   --build-dir DIR  package an existing, built build folder (the tests do this);
#                    default: a Release build without tests in ./build-package
#   --out DIR        where the .deb goes (default: the top folder of the source tree)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=""
out=$root
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
command -v dpkg-shlibdeps >/dev/null || { echo "$0: dpkg-shlibdeps is missing (Debian package dpkg-dev)" >&2; exit 1; }
if [ -z "$build" ]; then
  build=$root/build-package
  "$root/scripts/install-deps.sh" package
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEXEL_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)"
fi
build=$(cd "$build" && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)
# CPack's own work folder is thrown away; only the package is kept.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
for deb in "$work"/*.deb; do
  mv "$deb" "$out/"
  echo "$out/$(basename "$deb")"
done
