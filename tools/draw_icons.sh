#!/bin/sh
# Renders the button pictures and rating faces from their SVG sources
# (src/app/icons/svg/<name>.svg) to src/app/icons/<name>.png at the size of the
# drawing's viewBox and src/app/icons/<name>@2x.png at twice that size, which Qt
# picks by itself on a screen scaled to 200 %.
# The PNGs are committed, so building the program needs no SVG renderer; run this
# after changing a drawing.  Needs rsvg-convert (Debian/Ubuntu: librsvg2-bin).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/src/app/icons/svg"
out="$here/src/app/icons"

command -v rsvg-convert >/dev/null 2>&1 || {
    echo "draw_icons.sh: rsvg-convert is missing (package librsvg2-bin)" >&2
    exit 1
}

for svg in "$src"/*.svg; do
    name=$(basename "$svg" .svg)
    # Square drawings: shown at data-shown="N" pixels where the drawing says so (the
    # rating faces), else at the third number of viewBox="0 0 N N".
    size=$(sed -n 's/.*data-shown="\([0-9]*\)".*/\1/p' "$svg" | head -n 1)
    [ -n "$size" ] || size=$(sed -n 's/.*viewBox="0 0 \([0-9]*\) [0-9]*".*/\1/p' "$svg" | head -n 1)
    if [ -z "$size" ]; then
        echo "draw_icons.sh: no viewBox in $svg" >&2
        exit 1
    fi
    rsvg-convert -w "$size" -h "$size" -o "$out/$name.png" "$svg"
    rsvg-convert -w $((size * 2)) -h $((size * 2)) -o "$out/$name@2x.png" "$svg"
    echo "$name: ${size} and $((size * 2)) pixels"
done
