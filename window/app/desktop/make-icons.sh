#!/usr/bin/env bash
# Draws the launcher icon's PNG sizes from its SVG, with alpha, into the
# hicolor tree under icons/ that the build installs as it is. The PNGs are
# kept in the repository, so building needs no converter; run this again
# after changing the SVG. Needs: librsvg2-bin (rsvg-convert).
set -euo pipefail
cd "$(dirname "$0")/icons/hicolor"
name=org.quillbary.quillbary
for size in 16 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "${size}x${size}/apps/$name.png" "scalable/apps/$name.svg"
done
