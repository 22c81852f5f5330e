#!/usr/bin/env bash
# Renders the PNG sizes of the application icon from its SVG (needs rsvg-convert from librsvg2-bin).
# The PNGs are kept in the tree, so building never needs this.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/tr4410-settings.svg" -o "$here/tr4410-settings-$size.png"
done
