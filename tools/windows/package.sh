#!/bin/sh
# The Windows package: builds the Windows program (tools/windows/build.sh) and puts it,
# with the batch scripts, the window pictures and LEAME.txt, into
# build/windows/dinarvexsor-windows.zip, as the folder Dinarvex that goes into the suite's
# folder.
#
# Usage: tools/windows/package.sh [JOBS]
set -eu
cd "$(dirname "$0")/../.."
source=$PWD
tools/windows/build.sh "${1:-3}" >/dev/null
stage=$source/build/windows/package
rm -rf "$stage"
program=$stage/Dinarvex
mkdir -p "$program/CopiasREC/Dadm" "$program/CopiasREC/DCon01" "$program/CopiasREC/DNom"
cp build/windows/app/dinarvexsor.exe scripts/RESBACK.BAT scripts/RESREST.BAT scripts/ini.bat app/fondo.xpm \
  app/Home.xpm "$program/"
cp scripts/ini.cmd scripts/LIMPIA.BAT "$program/CopiasREC/"
x86_64-w64-mingw32-strip "$program/dinarvexsor.exe"  # the debugging symbols stay in the build
# Notepad's form: code page 1252 with CR LF line ends.
iconv -f UTF-8 -t CP1252 tools/windows/LEAME.txt | sed 's/$/\r/' >"$program/LEAME.txt"
zip_file=$source/build/windows/dinarvexsor-windows.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -r -X "$zip_file" Dinarvex)
echo "$zip_file"
