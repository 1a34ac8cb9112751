#!/bin/sh
# Turns the dialog pictures that the layout test saved (BMP) into PNG files beside them, and
# names the English one panel.png.  convert_pictures.sh FOLDER
set -eu
folder=$1
found=0
for bmp in "$folder"/panel-*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png"
  rm -f "$bmp"
  found=1
done
[ "$found" = 1 ] || { echo "no pictures in $folder"; exit 1; }
[ -e "$folder/panel-neutral.png" ] && cp "$folder/panel-neutral.png" "$folder/panel.png"
ls "$folder"
