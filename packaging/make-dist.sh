#!/usr/bin/env bash
# `make dist`: gathers the packages that the two Windows builds made into dist/ and lists them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$top/dist"
rm -f "$top"/dist/Quillon-*
for arch_build in win32 win64; do
  package="$top/build/$arch_build/package"
  cp "$package"/Quillon-*.zip "$top/dist/"
  cp "$package"/Quillon-*-setup.exe "$top/dist/"
done
echo "Packages in $top/dist:"
ls -l "$top"/dist/Quillon-* | awk '{printf "  %10d  %s\n", $5, $9}'
for zip in "$top"/dist/Quillon-*.zip; do
  echo "$(basename "$zip"):"
  unzip -l "$zip" | awk '$1 ~ /^[0-9]+$/ && $4 != "" {printf "  %10d  %s\n", $1, $4}'
done
