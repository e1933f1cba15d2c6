#!/usr/bin/env bash
# check-icons.sh HICOLOR_DIR APP_ID SIZE...: every size has a PNG of exactly that many pixels
# square, with an alpha channel (the corners of the icon are transparent).
set -euo pipefail
dir=$1 id=$2
shift 2
status=0
for size in "$@"; do
    png=$dir/${size}x${size}/apps/$id.png
    if [ ! -s "$png" ]; then
        echo "missing: $png"; status=1; continue
    fi
    # PNG signature, then the IHDR chunk: width and height as big-endian 32-bit numbers at
    # bytes 16..23, the colour type at byte 25 (6 = RGBA).
    # shellcheck disable=SC2207 # od prints plain numbers, split over two lines
    head=($(od -An -tu1 -N26 "$png"))
    signature="${head[*]:0:8}"
    width=$(( (head[16] << 24) | (head[17] << 16) | (head[18] << 8) | head[19] ))
    height=$(( (head[20] << 24) | (head[21] << 16) | (head[22] << 8) | head[23] ))
    if [ "$signature" != "137 80 78 71 13 10 26 10" ]; then
        echo "not a PNG: $png"; status=1
    elif [ "$width" -ne "$size" ] || [ "$height" -ne "$size" ]; then
        echo "$png is ${width}x${height}, expected ${size}x${size}"; status=1
    elif [ "${head[25]}" -ne 6 ]; then
        echo "$png has colour type ${head[25]}, expected 6 (RGBA)"; status=1
    fi
done
[ $status -eq 0 ] && echo "icons: $* px all present and square"
exit $status
