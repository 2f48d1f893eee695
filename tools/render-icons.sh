#!/usr/bin/env bash
# Renders the program's pictures from their drawings in resources/icons/*.svg: each button picture at
# the sizes a toolbar or menu asks for, the application icon at the sizes a desktop asks for. The PNGs
# are kept in the repository, so that the program needs no SVG support at run time; run this after
# changing a drawing. Needs rsvg-convert or ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"

render() { # svg size png
    if command -v rsvg-convert >/dev/null; then
        rsvg-convert -w "$2" -h "$2" -o "$3" "$1"
    else
        local w
        w=$(sed -n 's/.*<svg[^>]* width="\([0-9]*\)".*/\1/p' "$1" | head -1)
        convert -background none -density $((96 * $2 / w)) "$1" -resize "$2x$2" -strip \
            -define png:exclude-chunk=date,time PNG32:"$3"
    fi
}

for svg in *.svg; do
    name=${svg%.svg}
    if [ "$name" = taloma-terminal ]; then
        for size in 16 20 24 32 48 64 128 256; do render "$svg" "$size" "$name-$size.png"; done
    else
        for size in 16 20 24 32 48; do render "$svg" "$size" "$name-$size.png"; done
    fi
done

# The resource list: every rendered picture under /icons/.
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '    <qresource prefix="/icons">'
    for png in *.png; do echo "        <file alias=\"$png\">icons/$png</file>"; done
    echo '    </qresource>'
    echo '</RCC>'
} >../icons.qrc
