#!/bin/sh
# Draws the common skin pictures of the category pages with ImageMagick:
# the scan animation, the recovery animation and the window logo. The results
# are committed under resources/common/; run again after changing the drawing.
set -eu
OUT="$(cd "$(dirname "$0")/.." && pwd)/resources/common"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$OUT"

# spinner <size> <dot radius> <frames> <output>: a ring of dots whose bright
# spot turns once per loop.
spinner() {
    size=$1; dot=$2; frames=$3; out=$4
    c=$((size / 2)); r=$((size / 2 - dot - 2))
    i=0
    while [ "$i" -lt "$frames" ]; do
        args=""
        j=0
        while [ "$j" -lt "$frames" ]; do
            age=$(( (i - j + frames) % frames ))
            shade=$(( 60 + age * 180 / frames ))
            x=$(awk -v c="$c" -v r="$r" -v j="$j" -v n="$frames" 'BEGIN{printf "%d", c + r*sin(6.2832*j/n)}')
            y=$(awk -v c="$c" -v r="$r" -v j="$j" -v n="$frames" 'BEGIN{printf "%d", c - r*cos(6.2832*j/n)}')
            args="$args -fill \"rgb($shade,$((shade / 2 + 90)),230)\" -draw \"circle $x,$y $((x + dot)),$y\""
            j=$((j + 1))
        done
        eval convert -size "${size}x${size}" xc:white $args "$TMP/f$(printf %02d "$i").png"
        i=$((i + 1))
    done
    convert -delay 8 -loop 0 "$TMP"/f*.png "$out"
    rm -f "$TMP"/f*.png
}

spinner 120 9 12 "$OUT/scanMovie.gif"
spinner 70 6 10 "$OUT/bkgif.gif"
convert -size 64x64 xc:none -fill 'rgb(40,120,220)' -draw 'roundrectangle 4,4 59,59 12,12' \
    -fill white -draw 'rectangle 22,14 41,49' -fill 'rgb(40,120,220)' -draw 'rectangle 25,18 38,42' \
    -fill white -draw 'circle 31,45 33,45' "$OUT/logo.png"
echo "wrote $OUT/scanMovie.gif $OUT/bkgif.gif $OUT/logo.png"
