#!/bin/sh
# Lays out a demo suite: the suite's settings, data areas and tables (make_demo_suite),
# and the program folder with the program, its scripts and its background picture.
#   tools/demo_suite.sh SUITE_FOLDER BUILD_FOLDER [RECORDS_PER_TABLE]
# An existing suite folder is replaced.
set -eu
if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "uso: $0 CARPETA_DE_LA_SUITE CARPETA_DE_COMPILACION [REGISTROS_POR_TABLA]" >&2
  exit 2
fi
source=$(cd "$(dirname "$0")/.." && pwd)
suite=$1
build=$2
# A Windows build's programs end in .exe and run under $DINARVEX_RUN_WITH (wine).
exe=""
[ -f "$build/app/dinarvexsor.exe" ] && exe=.exe
rm -rf "$suite"
${DINARVEX_RUN_WITH:-} "$build/tools/make_demo_suite$exe" "$suite" ${3:-}
"$source/tools/install_layout.sh" "$suite/Dinarvex" "$build/app/dinarvexsor$exe"
