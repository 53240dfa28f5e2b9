#!/bin/sh
# What the screen shows, checked on the screen: the real program runs in a demo suite under
# a virtual X server, driven by xdotool as a person would, and after a text changes the
# control's area must hold exactly the pixels of a fresh window (window_sample) that shows
# only that text there. The screenshots stay in the output folder; `screenshots` leaves one
# of every window there for a person to look at. Skips (77) where no X server can be started.
#   screen_test.sh SOURCE_FOLDER BUILD_FOLDER OUTPUT_FOLDER CASE
# CASE: status_line, calc, second_copy, focus_back, boxes or screenshots.
set -eu
source=$1
build=$2
out=$3
case=$4
sample_program=$build/app/window_sample

# Where the program's windows put their controls (x y width height, in the window).
status_line="10 326 500 22"  # the main window's ?LOC:MENSAJE
login_group="4 160 512 165"  # the main window's login group with its caption
user_code="130 204"          # a point inside the main window's ?GLO:CODUSER
amount="530 597"             # a point inside the backup window's ?MONTOX
calc="666 597"               # the backup window's "Calc"
run_button="110 163"         # the conversion window's "procesa conversión"
converted="706 584 160 26"   # the backup window's ?MONTOS

. "$source/tools/x_session.sh"

# The whole screen into $out/$1.png.
shot() {
  xwd -root -silent | convert xwd:- "$out/$1.png"
}

# crop NAME WINDOW X Y W H: that area of the window, from a fresh screenshot, into NAME.png.
crop() {
  eval "$(xdotool getwindowgeometry --shell "$2")"
  xwd -root -silent | convert xwd:- -crop "$5x$6+$((X + $3))+$((Y + $4))" +repage "$out/$1.png"
}

# Gives the window the keyboard and leaves the pointer where it raises no tooltip.
keyboard_to() {
  xdotool windowfocus --sync "$1"
  xdotool mousemove 1270 1010
  sleep 0.3
}

click() {
  xdotool mousemove --window "$1" $2 click 1
  xdotool mousemove 1270 1010
  sleep 0.3
}

# sample NAME WINDOW_KIND X Y W H [CONTROL=TEXT ...]: the area of a fresh sample window,
# run from the program's folder as the program is, so that it finds the same pictures.
sample() {
  name=$1 kind=$2 x=$3 y=$4 w=$5 h=$6
  shift 6
  (cd "$out/suite/Dinarvex" && exec "$sample_program" "$kind" "$@") >"$out/$name.out" 2>&1 &
  sample_pid=$!
  wait_window "^Muestra"
  timeout 20 sh -c "until grep -q ready '$out/$name.out'; do sleep 0.1; done" ||
    fail "the sample for $name never drew itself"
  keyboard_to "$win"
  crop "$name" "$win" "$x" "$y" "$w" "$h"
  kill "$sample_pid"
  wait "$sample_pid" 2>/dev/null || true
  sleep 0.2
}

# differing NAME: how many pixels of the program's crop NAME.png differ from the sample's
# NAME.expected.png.
differing() {
  compare -metric AE "$out/$1.png" "$out/$1.expected.png" "$out/$1.diff.png" 2>&1 || true
}

# check_area NAME WINDOW KIND "X Y W H" CONTROL=TEXT: the program's area against a sample's.
# A busy machine may draw late, so a mismatch is looked at once more after the sample; text
# drawn over text stays, and fails both times.
check_area() {
  # shellcheck disable=SC2086  # the area is four numbers
  crop "$1" "$2" $4
  # shellcheck disable=SC2086
  sample "$1.expected" "$3" $4 "$5"
  keyboard_to "$2"
  if [ "$(differing "$1")" != 0 ]; then
    # shellcheck disable=SC2086
    crop "$1" "$2" $4
    count=$(differing "$1")
    [ "$count" = 0 ] || fail "$1: $count pixels differ from a fresh window (see $1.diff.png)"
  fi
  echo "ok: $1"
}

start_program() {
  (cd "$out/suite/Dinarvex" && exec ./dinarvexsor) >>"$out/program.out" 2>&1 &
  program_pid=$!
  wait_window "^Reconversi"
  main=$win
  keyboard_to "$main"
}

# Types into the control with the focus, then presses the keys given.
enter() {
  xdotool type --delay 30 "$1"
  shift
  [ $# -eq 0 ] || xdotool key "$@"
  sleep 0.5
}

status_is() {
  check_area "$1" "$main" main "$status_line" "?LOC:MENSAJE=$2"
}

login() {
  enter "$1" Tab
  enter "$2" Tab Return
}

# The status line after each state of the login, each text over the ones before it.
case_status_line() {
  start_program
  enter NADIE Tab
  status_is unknown_user "Ud. no está registrado como usuario"
  enter DEMO Tab
  status_is user_found "Usuario registrado exitosamente"
  enter otra Tab
  status_is password_typed 'Pulse "Iniciar sesión" para validar'
  xdotool key Return
  sleep 0.5
  status_is wrong_password "La clave es incorrecta. Inténtelo de nuevo"
  click "$main" "$user_code"
  login CONSULTA consulta
  status_is not_authorised "Inicio de sesión no autorizado"
  login DEMO demo123
  status_is logging_in "Inicio de sesión activado"
  sleep 2
  status_is logged_in "Opcione una operación debajo"
}

# Back in the user code after a wrong password (a click) and after a found user
# (Shift+Tab): the login group looks as in a fresh window, whose focus is in the user code.
case_focus_back() {
  start_program
  login DEMO otra
  click "$main" "$user_code"
  check_area back_by_click "$main" main "$login_group" "?LOC:MENSAJE="
  status_is back_by_click_status "La clave es incorrecta. Inténtelo de nuevo"
  enter DEMO Tab
  xdotool key shift+Tab
  sleep 0.5
  check_area back_by_shift_tab "$main" main "$login_group" "?LOC:MENSAJE="
  enter DEMO Tab
  status_is typed_where_the_focus_is "Usuario registrado exitosamente"
}

open_backup_window() {
  start_program
  login DEMO demo123
  sleep 2.5
  xdotool key Return
  wait_window "^Copia de respaldo"
  backup=$win
  keyboard_to "$backup"
}

# "Calc" three times; each result right-aligned in 15 characters, alone on its spot.
case_calc() {
  open_backup_window
  for pair in 876543000:8,765.43 150000:1.50 500:0.01; do
    typed=${pair%%:*}
    result=${pair#*:}
    click "$backup" "$amount"
    xdotool key ctrl+a
    enter "$typed"
    click "$backup" "$calc"
    check_area "calc_$typed" "$backup" backup "$converted" "?MONTOS=$(printf '%15s' "$result")"
  done
}

# A second copy shows its box, titled "Oh no...", and ends when it is answered; the first
# copy goes on.
case_second_copy() {
  start_program
  (cd "$out/suite/Dinarvex" && exec ./dinarvexsor) >"$out/second.out" 2>&1 &
  second_pid=$!
  wait_window "^Oh no\.\.\.\$"
  box=$win
  keyboard_to "$box"
  shot second_copy
  eval "$(xdotool getwindowgeometry --shell "$box")"
  crop second_copy_box "$box" 0 0 "$WIDTH" "$HEIGHT"
  sample second_copy_box.expected box 0 0 "$WIDTH" "$HEIGHT" "El programa ya está ejecutandose.."
  count=$(differing second_copy_box)
  [ "$count" = 0 ] || fail "second_copy_box: $count pixels differ from a fresh box"
  echo "ok: second_copy_box"
  keyboard_to "$box"
  xdotool key Return
  timeout 10 sh -c "while kill -0 $second_pid 2>/dev/null; do sleep 0.1; done" ||
    fail "the second copy did not end after its box was answered"
  wait "$second_pid" || fail "the second copy ended with $?"
  kill -0 "$program_pid" || fail "the first copy ended"
}

# One screenshot of every window: main, a failed login, the backup window with both logs,
# the conversion window running and at its end.
case_screenshots() {
  start_program
  login DEMO otra
  shot main_login_failed
  click "$main" "$user_code"
  login DEMO demo123
  sleep 2.5
  shot main_logged_in
  xdotool key Return
  wait_window "^Copia de respaldo"
  backup=$win
  keyboard_to "$backup"
  xdotool key Return  # ejecutar copia
  sleep 3
  xdotool key Tab Tab Return  # ejecutar restauración
  wait_window "^Confirmar"
  keyboard_to "$win"
  xdotool key shift+Tab space  # Si: the copy replaces the data
  sleep 3
  keyboard_to "$backup"
  shot backup_both_logs
  xdotool key Tab Return  # cerrar
  sleep 0.5
  keyboard_to "$main"
  xdotool key Tab Return  # Ejecutar Proceso
  sleep 1
  conversion=$(xdotool search --onlyvisible --name "^Reconversi" | grep -vx "$main" | head -n 1)
  keyboard_to "$conversion"
  shot conversion_open
  run_conversion
  sleep 0.3
  shot conversion_running
  wait_window "^Informaci"
  shot conversion_end_message
  keyboard_to "$win"
  xdotool key Return
  sleep 0.5
  shot conversion_end
}

# check_box NAME TITLE ICON BUTTONS DEFAULT TEXT: the box whose title matches TITLE lies on
# the 1024x768 screen, all of it and so all its buttons, no wider than 640 pixels, and it
# shows exactly what a fresh box with TEXT shows: the whole text, wrapped as it fits.
check_box() {
  wait_window "$2"
  box=$win
  keyboard_to "$box"
  shot "$1"
  eval "$(xdotool getwindowgeometry --shell "$box")"
  { [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 1024 ] && [ $((Y + HEIGHT)) -le 768 ]; } ||
    fail "$1: the box (${WIDTH}x$HEIGHT at $X,$Y) leaves the screen"
  [ "$WIDTH" -le 640 ] || fail "$1: the box is $WIDTH pixels wide"
  crop "$1_box" "$box" 0 0 "$WIDTH" "$HEIGHT"
  sample "$1_box.expected" box 0 0 "$WIDTH" "$HEIGHT" "$6" "$3" "$4" "$5"
  count=$(differing "$1_box")
  [ "$count" = 0 ] || fail "$1_box: $count pixels differ from a fresh box (see $1_box.diff.png)"
  keyboard_to "$box"
  echo "ok: $1 (${WIDTH}x$HEIGHT)"
}

# Presses "procesa conversión" and answers "Si" to its question.
run_conversion() {
  click "$conversion" "$run_button"
  wait_window "^Confirmar"
  keyboard_to "$win"
  xdotool key shift+Tab space  # Si
}

stop_program() {
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
}

open_conversion_window() {
  login DEMO demo123
  sleep 2.5
  xdotool key Tab Return  # Ejecutar Proceso
  sleep 1
  conversion=$(xdotool search --onlyvisible --name "^Reconversi" | grep -vx "$main" | head -n 1)
  keyboard_to "$conversion"
}

# The longest boxes on a 1024x768 screen: a data path too long for its variable, the
# backup's list of damaged copies, and the question on a conversion that left tables.
case_boxes() {
  suite=$out/suite
  cp "$suite/Sorvane.ini" "$out/Sorvane.saved"
  long=/srv/$(printf 'carpeta-de-datos-%02d/' $(seq 1 14))Dadm
  printf '[Sistemas]\r\nRutadatos=%s\r\n' "$long" >"$suite/Sorvane.ini"
  (cd "$suite/Dinarvex" && exec ./dinarvexsor) >>"$out/program.out" 2>&1 &
  program_pid=$!
  check_box long_path "^Problema\$" error "&Aceptar" 1 \
    "La ruta RutaDatos de Sorvane.ini es demasiado larga: $long (${#long} caracteres; caben 124)."
  xdotool key Return
  wait "$program_pid" && fail "the program went on with a data path too long"
  cp "$out/Sorvane.saved" "$suite/Sorvane.ini"

  # Three damaged tables: their copies fail the check after the backup.
  for file in BANCOS CFSERVID IVPROSER; do
    printf 'no es una base de datos' | dd of="$suite/Dadm/$file.VQF" conv=notrunc 2>/dev/null
  done
  start_program
  login DEMO demo123
  sleep 2.5
  xdotool key Return
  wait_window "^Copia de respaldo"
  keyboard_to "$win"
  xdotool key Return  # ejecutar copia
  copies=$(cd "$suite/Dinarvex/CopiasREC/Dadm" && pwd)
  check_box unsound_backup "^Problema\$" error "&Aceptar" 1 "La copia de respaldo no es confiable:
ATENCIÓN: El archivo $copies/BANCOS.VQF no pasó la comprobación (file is not a database)
ATENCIÓN: El archivo $copies/CFSERVID.VQF no pasó la comprobación (file is not a database)
ATENCIÓN: El archivo $copies/IVPROSER.VQF no pasó la comprobación (file is not a database)"
  xdotool key Return
  stop_program

  # A run while other stations hold two tables leaves them for a continued run.
  "$source/tools/demo_suite.sh" "$suite" "$build"
  for file in IVPROSER CFSERVID; do
    "$build/platform/files/files_test_helper" hold "$suite/Dadm/$file.VQF" >"$out/hold_$file.out" &
    echo $! >>"$out/stations"
    timeout 20 sh -c "until grep -q held '$out/hold_$file.out'; do sleep 0.1; done" || fail "no station holds $file"
  done
  start_program
  open_conversion_window
  run_conversion
  wait_window "^Informaci"
  keyboard_to "$win"
  xdotool key Return
  # The new currency in the parameters record ends the run.
  timeout 20 sh -c "until [ \"\$(sqlite3 '$suite/Dadm/CFPARAME.VQF' \"SELECT instr(data, CAST('BsS' AS BLOB)) > 0 FROM records\")\" = 1 ]; do sleep 0.2; done" ||
    fail "the run did not write the parameters"
  kill $(cat "$out/stations")
  stop_program

  converted=0
  for file in "$suite"/Dadm/*.VQF; do
    count=$(sqlite3 "$file" "SELECT count(*) FROM progress_records" 2>/dev/null) || count=0
    converted=$((converted + count))
  done
  pass=$(sqlite3 "$suite/Dadm/BANCOS.VQF" "SELECT substr(pass, 1, 16) FROM progress_runs LIMIT 1")
  started=$(LC_ALL=C date -d "$pass" '+%d/%m/%Y a las %I:%M%p')
  start_program
  open_conversion_window
  run_conversion
  sleep 0.5
  check_box continue_question "^Confirmar" exclamation "&Si|&No" 1 \
    "La conversión anterior no terminó: comenzó el $started y convirtió $converted registros.
inventario (IVPROSER.VQF): sin convertir: la conversión no llegó a esta tabla o no pudo escribir en ella
servidores (CFSERVID.VQF): sin convertir: la conversión no llegó a esta tabla o no pudo escribir en ella
¿Desea continuarla? Solo se convertirán los registros que aún no se convirtieron."
  xdotool key Tab space  # No
}

if [ "${5:-}" = --session ]; then
  "case_$case"
  kill "$program_pid" 2>/dev/null || true
  exit 0
fi

need_x_server xwd convert compare sqlite3
rm -rf "$out"
mkdir -p "$out"
XDG_RUNTIME_DIR="$out/run"
export XDG_RUNTIME_DIR
mkdir -p "$XDG_RUNTIME_DIR"
# The screenshots' run lasts long enough to be seen running.
records=""
[ "$case" = screenshots ] && records=2500
"$source/tools/demo_suite.sh" "$out/suite" "$build" $records
export LSAN_OPTIONS="suppressions=$source/platform/ui/fltk/lsan_suppressions.txt:print_suppressions=0"
# The boxes are looked at on a small screen.
screen=1280x1024x24
[ "$case" = boxes ] && screen=1024x768x24
timeout 150 xvfb-run -a -s "-screen 0 $screen" "$0" "$source" "$build" "$out" "$case" --session
