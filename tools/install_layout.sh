#!/bin/sh
# Lays out a program folder: the backup and restore scripts and the window pictures beside
# the program, and the backup folder CopiasREC with its settings reader, its
# clean-up script and the three area folders the copies go to. Existing copies and logs are kept.
#   tools/install_layout.sh PROGRAM_FOLDER [EXECUTABLE]
# The program folder belongs one level below the suite's folder, which holds Sorvane.ini.
set -eu
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "uso: $0 CARPETA_DEL_PROGRAMA [EJECUTABLE]" >&2
  exit 2
fi
source=$(cd "$(dirname "$0")/.." && pwd)
scripts=$source/scripts
program=$1
backup=$program/CopiasREC
mkdir -p "$backup/Dadm" "$backup/DCon01" "$backup/DNom"
cp -f "$scripts/RESBACK.BAT" "$scripts/RESREST.BAT" "$scripts/ini.bat" \
  "$scripts/posix/RESBACK.sh" "$scripts/posix/RESREST.sh" "$source/app/fondo.xpm" \
  "$source/app/Home.xpm" "$program/"
cp -f "$scripts/ini.cmd" "$scripts/LIMPIA.BAT" \
  "$scripts/posix/ini.sh" "$scripts/posix/copia_areas.sh" "$scripts/posix/LIMPIA.sh" \
  "$backup/"
if [ $# -eq 2 ]; then cp -f "$2" "$program/"; fi
