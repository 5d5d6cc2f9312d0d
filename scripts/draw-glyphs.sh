#!/usr/bin/env bash
# Draws the shipped toolbar glyphs (shipped/glyphs/*.bmp and the SVG files beside them) from
# their shapes in toolbars/glyphs/drawGlyphs.cpp. Usage: scripts/draw-glyphs.sh [BUILD_DIR]
# (a configured build folder; build by default).
set -euo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$src/build}
cmake --build "$build" --target pagemason-draw-glyphs -j2
QT_QPA_PLATFORM=offscreen "$build/bin/pagemason-draw-glyphs" "$src/shipped/glyphs"
echo "drew $(ls "$src"/shipped/glyphs/*.bmp | wc -l) glyphs into shipped/glyphs/"
