#!/bin/sh
# Turns the readable UTF-8 language source into the shipped "Language.cfg": UTF-16LE with a
# byte-order mark (Windows reads a profile as Unicode only then) and CR LF line ends.
# Usage: make_language_file.sh SOURCE.utf8 OUTPUT
set -e
source_file=$1
output_file=$2
temporary="$output_file.tmp"
{
  printf '\377\376'
  # Drop a UTF-8 byte-order mark an editor may have added, then end every line in CR LF.
  sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r*$/\r/' "$source_file" | iconv -f UTF-8 -t UTF-16LE
} > "$temporary"
mv "$temporary" "$output_file"
