#!/usr/bin/env bash
# Wine draws the caption buttons (and other parts of a window's frame) with Marlett, which it
# finds only among the prefix's own fonts: links Wine's Marlett (package fonts-wine) into the
# prefix given as $1, so windows look as on Windows. Used by `make run` and the Wine tests.
set -eu
fonts="$1/drive_c/windows/Fonts"
mkdir -p "$fonts"
for font in marlett.ttf; do
  if [ -e "/usr/share/wine/fonts/$font" ]; then ln -sf "/usr/share/wine/fonts/$font" "$fonts/$font"; fi
done
