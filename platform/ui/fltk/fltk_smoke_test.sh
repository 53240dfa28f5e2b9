#!/bin/sh
# Opens the demo window under a virtual X server, types into it and presses keys as a
# person would (xdotool), keeps screenshots in the output folder, and checks what the
# window took. Skips (77) where no X server can be started. A Windows build's demo runs
# under $DINARVEX_RUN_WITH (wine).
#   fltk_smoke_test.sh DEMO OUTPUT_FOLDER
set -eu
demo=$1
out=$2
. "$(dirname "$0")/../../../tools/x_session.sh"

# A screenshot of the whole screen, kept in the output folder.
shot() {
  "$(dirname "$0")/../../../tools/screenshot.sh" "$out/$1"
}

# The person's part, run inside the virtual X server.
session() {
  ${DINARVEX_RUN_WITH:-} "$demo" >"$out/demo.out" 2>&1 &
  pid=$!
  wait_window "^Prueba"
  xdotool windowfocus "$win"
  sleep 0.3
  xdotool type --delay 30 ADMIN
  xdotool key Tab
  xdotool type --delay 30 hola
  xdotool key shift+Return
  xdotool type --delay 30 dos
  xdotool key Tab Tab
  sleep 0.5
  shot window
  xdotool key Return
  wait_window "^Confirmar"
  xdotool windowfocus "$win"
  sleep 0.5
  shot message
  xdotool key Return
  wait "$pid"
}

if [ "${3:-}" = --session ]; then
  session
  exit
fi

need_x_server
mkdir -p "$out"
rm -f "$out"/*.xwd "$out"/*.png "$out"/demo.out
# Under the sanitizers: the system's font libraries hold their caches to the end.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan_suppressions.txt:print_suppressions=0"
session_status=0
timeout 150 xvfb-run -a -s "-screen 0 800x600x24" "$0" "$demo" "$out" --session || session_status=$?
sed -i 's/\r$//' "$out/demo.out"  # a Windows program's line ends
cat "$out/demo.out"
[ "$session_status" = 0 ] || fail "the session ended with status $session_status"
grep -qx "usuario=ADMIN" "$out/demo.out"
grep -qx "nota=hola" "$out/demo.out"
grep -qx "dos" "$out/demo.out"
grep -qx "respuesta=1" "$out/demo.out"
