#!/usr/bin/env bash
# Draws the panel's icon (a mouse with a green check badge) at 256x256 and scales it down to
# the one 32x32, 32-bpp image of quillon.ico. Run by hand after changing the drawing:
#   panel/icon/make_icon.sh [output.ico]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../quillon.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ink='#1d4f91'      # outline and wheel
button='#3a8ee6'   # the left button, the one that bounces
body='#f5f7fb'
badge='#2f9e44'

convert -size 256x256 xc:none \
  -fill "$body" -stroke "$ink" -strokewidth 14 -draw 'roundrectangle 52,14 188,242 68,68' \
  -stroke none -fill "$button" -draw 'path "M 120,22 L 120,112 L 60,112 L 60,82 Q 60,22 120,22 Z"' \
  -fill none -stroke "$ink" -strokewidth 10 -draw 'line 120,16 120,112' -draw 'line 56,112 184,112' \
  -stroke "$ink" -strokewidth 14 -draw 'roundrectangle 52,14 188,242 68,68' \
  -stroke none -fill "$ink" -draw 'roundrectangle 110,44 130,90 9,9' \
  -fill "$badge" -stroke white -strokewidth 10 -draw 'circle 186,186 186,240' \
  -fill none -stroke white -strokewidth 18 -draw 'polyline 158,188 180,210 214,166' \
  "$work/large.png"
convert "$work/large.png" -filter Lanczos -resize 32x32 PNG32:"$work/small.png"
# ICO entries below 256 pixels are written as 32-bpp DIBs with their alpha channel.
convert "$work/small.png" -define icon:auto-resize=32 "$out"
identify "$out"
