#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from loomcraft.svg into hicolor/SIZExSIZE/.
# Run by hand after changing the SVG (needs rsvg-convert from librsvg2-bin); the PNGs are
# kept in the repository so that a build needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" loomcraft.svg -o "hicolor/${size}x${size}/loomcraft.png"
done
