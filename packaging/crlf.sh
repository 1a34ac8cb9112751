#!/bin/sh
# Copies a text file with Windows line ends: crlf.sh SOURCE DESTINATION
set -e
sed -e 's/\r*$/\r/' "$1" > "$2"
