#!/bin/sh
# Renders the program icon's PNG sizes from rova-editor.svg (needs rsvg-convert
# from librsvg2-bin). The PNGs are committed, so the build needs no converter;
# run this again after changing the drawing.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" rova-editor.svg -o "icons/rova-editor-$size.png"
done
