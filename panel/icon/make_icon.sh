#!/usr/bin/env bash
# Draws the panel's icon (a mouse with a badge) and writes it as an .ico with every size Windows
# asks for between 100 % and 200 % scaling: 16, 20, 24 and 32 (small icons: caption, notification
# area), 32, 40, 48 and 64 (large icons: task bar, Alt+Tab, balloons, message boxes) and 256
# (Explorer's big views). Sizes up to 24 get a bolder drawing, so that outlines stay a whole
# pixel wide instead of fading to grey. Run by hand after changing the drawing:
#   panel/icon/make_icon.sh [--variant NAME] [output.ico]
# A variant is a set of colours and a badge (see add_badge); "on" is quillon.ico, "off" (the
# filter is off) is quillon_off.ico, "paused" (the pause hot key holds the filter) is
# quillon_paused.ico. The badges differ in shape as well as colour (check mark, bar, two bars),
# so the state reads without colour too:
#   panel/icon/make_icon.sh --variant off panel/quillon_off.ico
#   panel/icon/make_icon.sh --variant paused panel/quillon_paused.ico
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
variant=on
if [ "${1:-}" = "--variant" ]; then
  variant=$2
  shift 2
fi
out=${1:-$here/../quillon.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sizes=(16 20 24 32 40 48 64 256)
bold_up_to=24   # sizes drawn with the bold strokes

ink='#1d4f91'      # outline and wheel
button='#3a8ee6'   # the left button, the one that bounces
body='#f5f7fb'
case "$variant" in
  on) badge='#2f9e44' ;;   # green badge with a check mark: the filter is working
  off) badge='#868e96' ;;  # grey badge with a bar: the filter is off
  paused) badge='#e67700' ;;  # amber badge with two upright bars: the filter is paused
  *) echo "unknown variant: $variant" >&2; exit 2 ;;
esac

# Stroke width $1 of the detailed drawing times the stroke scale $2, in whole canvas pixels.
px() { awk "BEGIN{print int($1 * $2 + 0.5)}"; }

# The badge in the lower right corner of the 256 canvas, appended to the drawing's arguments.
add_badge() {
  local scale=$1
  case "$variant" in
    on)
      if [ "$scale" = 1 ]; then
        args+=(-fill "$badge" -stroke white -strokewidth 10 -draw 'circle 186,186 186,240'
               -fill none -stroke white -strokewidth 18 -draw 'polyline 158,188 180,210 214,166')
      else  # bigger, with a thin ring and a short, heavy check
        args+=(-fill "$badge" -stroke white -strokewidth 12 -draw 'circle 188,188 188,250'
               -fill none -stroke white -strokewidth 24
               -draw 'stroke-linejoin round stroke-linecap round polyline 156,186 180,212 222,160')
      fi ;;
    off)
      if [ "$scale" = 1 ]; then
        args+=(-fill "$badge" -stroke white -strokewidth 10 -draw 'circle 186,186 186,240'
               -fill none -stroke white -strokewidth 18 -draw 'line 160,188 212,188')
      else  # as the "on" badge: bigger, thin ring, heavy bar
        args+=(-fill "$badge" -stroke white -strokewidth 12 -draw 'circle 188,188 188,250'
               -fill none -stroke white -strokewidth 24 -draw 'stroke-linecap round line 160,188 216,188')
      fi ;;
    paused)
      if [ "$scale" = 1 ]; then
        args+=(-fill "$badge" -stroke white -strokewidth 10 -draw 'circle 186,186 186,240'
               -fill none -stroke white -strokewidth 16 -draw 'line 172,164 172,208' -draw 'line 200,164 200,208')
      else  # as the others: bigger, thin ring, two heavy bars set wide apart
        args+=(-fill "$badge" -stroke white -strokewidth 12 -draw 'circle 188,188 188,250'
               -fill none -stroke white -strokewidth 22
               -draw 'stroke-linecap round line 170,162 170,214' -draw 'stroke-linecap round line 206,162 206,214')
      fi ;;
  esac
}

# The mouse on a 256x256 canvas; $1 scales the strokes (1 for the detailed drawing).
draw() {
  local scale=$1 file=$2
  local outline; outline=$(px 14 "$scale")
  args=(-size 256x256 xc:none
        -fill "$body" -stroke "$ink" -strokewidth "$outline" -draw 'roundrectangle 52,14 188,242 68,68'
        -stroke none -fill "$button" -draw 'path "M 120,22 L 120,112 L 60,112 L 60,82 Q 60,22 120,22 Z"'
        -fill none -stroke "$ink" -strokewidth "$(px 10 "$scale")" -draw 'line 120,16 120,112' -draw 'line 56,112 184,112'
        -stroke "$ink" -strokewidth "$outline" -draw 'roundrectangle 52,14 188,242 68,68'
        -stroke none -fill "$ink" -draw 'roundrectangle 110,44 130,90 9,9')
  add_badge "$scale"
  convert "${args[@]}" "$file"
}

draw 1 "$work/detailed.png"
draw 1.7 "$work/bold.png"
images=()
for size in "${sizes[@]}"; do
  source=$work/detailed.png
  [ "$size" -le "$bold_up_to" ] && source=$work/bold.png
  convert "$source" -filter Lanczos -resize "${size}x${size}" PNG32:"$work/$size.png"
  images+=("$work/$size.png")
done
# Entries below 256 pixels are written as 32-bpp DIBs with their alpha channel, 256 as PNG.
convert "${images[@]}" -type TrueColorAlpha "$out"
identify "$out"
