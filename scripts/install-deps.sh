#!/bin/sh
# Installs the Debian packages named on the command line that are not yet present.
# Usage: scripts/install-deps.sh build|test|bench|package
set -eu
build="cmake g++ make ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libminizip-dev libdeflate-dev
  libarchive-dev zlib1g-dev libbz2-dev fonts-noto-cjk"
test="$build libgtest-dev libgmock-dev unzip 7zip lhasa liblhasa-dev libmspack-dev python3
  cabextract gzip bzip2 xauth dpkg-dev desktop-file-utils appstream man-db mold"
bench="$test zip xz-utils gcab jlha-utils time valgrind heaptrack"
package="$build dpkg-dev"
case "${1:-build}" in
  build) wanted=$build ;;
  test) wanted=$test ;;
  bench) wanted=$bench ;;
  package) wanted=$package ;;
  *) echo "usage: $0 build|test|bench|package" >&2; exit 2 ;;
esac
# One query for all of them: the test command runs this on every start.
# shellcheck disable=SC2086
installed=$(dpkg-query -W -f='${Package} ${Status}\n' $wanted 2>/dev/null |
  awk '$NF == "installed" && $(NF-1) == "ok" { print $1 }')
missing=""
for p in $wanted; do
  echo "$installed" | grep -qx "$p" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
$SUDO apt-get install -y $missing || { $SUDO apt-get update && $SUDO apt-get install -y $missing; }
