#!/usr/bin/env bash
# Renders the program icon into the hicolor PNG sizes. The PNGs are committed, so building and
# packaging need no SVG renderer; run this after changing the SVG (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$size"
  rsvg-convert -w "$size" -h "$size" org.vexil.Vexil.svg -o "$size/org.vexil.Vexil.png"
done
