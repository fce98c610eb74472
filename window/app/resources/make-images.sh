#!/usr/bin/env bash
# Draws the window's emblem and the program's icon with ImageMagick, from
# nothing but the shapes below: an old round coin with a square hole (the
# money) and a quill across it (the clerk's reckoning).
#   emblem.jpg  139 x 126, drawn unscaled behind the top-left controls, so it
#               is kept pale, on the window colour
#   icon.png    48 x 48, 24-bit colour
#   icon.ico    the same icon for Windows builds
# Run it from anywhere; it writes next to itself. Needs: imagemagick.
set -euo pipefail
cd "$(dirname "$0")"

# The emblem: a double ring like a seal, the coin inside, the quill across.
convert -size 139x126 xc:'#efefef' \
  -fill none -stroke '#dcb4b4' -strokewidth 3 -draw 'circle 69,63 69,7' \
  -stroke '#e4c4c4' -strokewidth 1 -draw 'circle 69,63 69,13' \
  -fill '#f1dede' -stroke '#d8aaaa' -strokewidth 2 -draw 'circle 69,63 69,31' \
  -fill '#efefef' -stroke '#d8aaaa' -strokewidth 2 -draw 'rectangle 60,54 78,72' \
  -fill '#d6e1ee' -stroke '#a9bdd6' -strokewidth 1 \
  -draw 'path "M 34,104 C 52,80 82,44 114,17 C 104,46 78,78 42,100 Z"' \
  -stroke '#a9bdd6' -strokewidth 2 -draw 'line 26,112 40,98' \
  -strip -sampling-factor 4:4:4 -quality 92 emblem.jpg

# The icon: the same coin and quill, in full colour.
convert -size 48x48 xc:'#f4efe6' \
  -fill '#d9534f' -stroke '#a52a2a' -strokewidth 2 -draw 'circle 24,24 24,5' \
  -fill '#f4efe6' -stroke '#a52a2a' -strokewidth 2 -draw 'rectangle 18,18 30,30' \
  -fill '#3a6ea5' -stroke '#1f4e79' -strokewidth 1 \
  -draw 'path "M 8,42 C 16,32 28,18 42,6 C 38,18 26,32 11,41 Z"' \
  -strip -depth 8 -type TrueColor -alpha off -define png:color-type=2 icon.png

convert icon.png -define icon:auto-resize=48,32,16 icon.ico
