#!/bin/sh
# The Windows program's backup and restore under wine, driven by xdotool as a person
# would: in a demo suite whose accounting area lies in a folder with a blank in its name
# and whose payroll area lies in one with an accent, the demo user logs in, runs a backup
# and answers its console window's closing pause, then runs a restore over changed data.
# Every record file of the three areas must come out byte for byte both ways.
# Screenshots stay in the output folder. Skips (77) where no X server can be started.
#   backup_window_test.sh SOURCE_FOLDER BUILD_FOLDER OUTPUT_FOLDER
set -eu
source=$1
build=$2
out=$3
suite=$out/suite
. "$source/tools/x_session.sh"

shot() {
  "$source/tools/screenshot.sh" "$out/$1"
}

# The record files of the three areas, one a line: data file, then its copy.
pairs() {
  for area in "Dadm Dadm" "Con tabilidad DCon01" "Nómina DNom"; do
    folder=${area% *}
    copies=${area##* }
    for file in "$suite/$folder"/*.VQF; do
      echo "$file|$suite/Dinarvex/CopiasREC/$copies/${file##*/}"
    done
  done
}

# Waits for the script's console window, answers its closing pause, and waits for it to go.
answer_console() {
  wait_window "system32"
  console=$win
  shot "$1"
  xdotool windowfocus "$console"
  sleep 0.5
  xdotool key Return
  timeout 60 sh -c "while xdotool search --onlyvisible --name system32 >/dev/null; do sleep 0.3; done" ||
    fail "the console window of the script stayed"
  sleep 2
  # The program's check of every copy found nothing to say.
  if xdotool search --onlyvisible --name "^Problema" >/dev/null; then
    shot "$1_problem"
    fail "the program found the result of the script not sound"
  fi
}

session() {
  cd "$suite/Dinarvex"
  wine ./dinarvexsor.exe >>"$out/program.out" 2>&1 &
  pid=$!
  wait_window "^Reconversi"
  xdotool windowfocus "$win"
  sleep 1
  xdotool type --delay 30 DEMO
  xdotool key Tab
  xdotool type --delay 30 demo123
  xdotool key Tab Return
  sleep 3
  xdotool key Return
  wait_window "^Copia de respaldo"
  window=$win
  xdotool windowfocus "$window"
  sleep 1
  xdotool key Return
  answer_console backup_console
  shot backup_log
  pairs | while IFS='|' read -r data copy; do
    cmp "$data" "$copy" || fail "the backup of $data differs"
    printf 'cambiado' >"$data"
  done
  # "ejecutar restauración", by where the window places it; then "Si" in its question.
  xdotool mousemove --window "$window" 160 360 click 1
  wait_window "^Confirmar"
  shot restore_question
  xdotool windowfocus "$win"
  sleep 0.5
  xdotool key shift+Tab space
  answer_console restore_console
  shot restore_log
  pairs | while IFS='|' read -r data copy; do
    cmp "$data" "$copy" || fail "the restore of $data differs"
  done
  kill "$pid" 2>/dev/null || true
  echo "copied=$(pairs | wc -l)" >>"$out/program.out"
}

if [ "${4:-}" = --session ]; then
  session
  exit
fi

need_x_server
mkdir -p "$out"
rm -f "$out"/*.xwd "$out"/*.png "$out"/program.out
"$source/tools/demo_suite.sh" "$suite" "$build"
# The accounting and payroll areas move to folders with a blank and an accent in their
# names, each with record files of its own; Sorvane.ini names them in code page 1252.
mv "$suite/DCon01" "$suite/Con tabilidad"
mv "$suite/DNom" "$suite/Nómina"
cp "$suite/Dadm/CFUSUARI.VQF" "$suite/Con tabilidad/CGCUENTA.VQF"
cp "$suite/Dadm/CFPARAME.VQF" "$suite/Nómina/NMPARAME.VQF"
windows_suite="Z:$(printf '%s' "$suite" | tr / '\\')"
printf '[Sistemas]\r\nRutadatos=%s\\Dadm\r\nRutaDatosContabilidad=%s\\Con tabilidad\r\nRutaDatosNomina=%s\\N\363mina\r\n' \
  "$windows_suite" "$windows_suite" "$windows_suite" >"$suite/Sorvane.ini"
# Every record file the three areas hold must have come through both ways.
expected=$(pairs | wc -l)
session_status=0
timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$source" "$build" "$out" --session || session_status=$?
sed -i 's/\r$//' "$out/program.out"
cat "$out/program.out"
[ "$session_status" = 0 ] || fail "the session ended with status $session_status"
grep -qx "copied=$expected" "$out/program.out" || fail "$expected record files were to come through"
