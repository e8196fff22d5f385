#!/bin/sh
# Installs what Vexel needs, builds it and starts it with the given files.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh" build
"$here/scripts/build.sh" -DVEXEL_BUILD_TESTS=OFF
exec "$here/build/bin/vexel" "$@"
