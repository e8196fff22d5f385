#!/bin/sh
# Renders the committed PNG sizes of the icon from vexel.svg (after editing the SVG).
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 128 256; do
  rsvg-convert -w "$size" -h "$size" vexel.svg -o "vexel-$size.png"
done
