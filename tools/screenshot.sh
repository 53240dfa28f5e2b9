#!/bin/sh
# A screenshot of the whole X screen with whichever tool is at hand: FILE_BASE.xwd, and
# FILE_BASE.png when ImageMagick can convert it.
#   tools/screenshot.sh FILE_BASE
set -u
if command -v xwd >/dev/null 2>&1; then
  xwd -root -silent -out "$1.xwd"
  if command -v convert >/dev/null 2>&1; then convert "$1.xwd" "$1.png" || true; fi
elif command -v import >/dev/null 2>&1; then
  import -window root "$1.png"
else
  echo "no screenshot: neither xwd nor import is installed"
fi
