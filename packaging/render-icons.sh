#!/usr/bin/env bash
# Renders the PNG icons installed beside sorvant.svg at the usual hicolor sizes. Run it after
# changing sorvant.svg and commit the results; the build itself needs no SVG renderer.
# Needs rsvg-convert (Debian package librsvg2-bin) and, for the Windows icon, convert (imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert --width "$size" --height "$size" sorvant.svg --output "icons/sorvant-$size.png"
done
# The Windows program and installer icon: the same pictures in one .ico file.
convert icons/sorvant-{16,24,32,48,64,128,256}.png windows/sorvant.ico
