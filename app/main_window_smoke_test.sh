#!/bin/sh
# The real program under a virtual X server, driven by xdotool as a person would: it
# starts in a demo suite, the demo user logs in, runs a backup in the backup window and
# closes it, opens the conversion window and closes it, and confirms the exit.
# Screenshots stay in the output folder. Skips (77) where no X server can be started.
# A Windows build's program (dinarvexsor.exe) runs under $DINARVEX_RUN_WITH (wine).
#   main_window_smoke_test.sh SOURCE_FOLDER BUILD_FOLDER OUTPUT_FOLDER
set -eu
source=$1
build=$2
out=$3
. "$source/tools/x_session.sh"

shot() {
  "$source/tools/screenshot.sh" "$out/$1"
}

# Waits for a window whose title matches $1 and gives it the focus, and a moment for it
# to take keys (under wine a window shows before it is drawn).
focus() {
  wait_window "$1"
  xdotool windowfocus "$win"
  sleep 1
}

# Waits until the backup script has ended, and a moment more for the window to show its
# log. Under wine cmd.exe can take seconds to start from a cold disk, so the wait first
# looks for the script to appear; the quick sh port may have come and gone before it looks.
# "RESBAC[K]" matches the script's processes and not the waiting shell.
# Under wine the script runs in a console window of its own (titled by the system folder),
# whose closing pause is answered with a key.
wait_for_script() {
  timeout 15 sh -c 'until pgrep -f "RESBAC[K]" >/dev/null; do sleep 0.1; done' || true
  if [ -n "${DINARVEX_RUN_WITH:-}" ]; then
    wait_window "system32"
    xdotool windowfocus "$win"
    sleep 0.5
    xdotool key Return
  fi
  timeout 120 sh -c 'while pgrep -f "RESBAC[K]" >/dev/null; do sleep 0.3; done' ||
    fail "the backup script did not end within 120 s"
  sleep 1
}

# Waits for a second shown window titled like the main one ($1) and sets `win` to it.
wait_second_window() {
  win=$(timeout 60 sh -c "until xdotool search --onlyvisible --name '^Reconversi' |
      grep -vx '$1'; do sleep 0.3; done" | head -n 1)
  [ -n "$win" ] || fail "the conversion window did not show within 60 s"
}

session() {
  cd "$out/suite/Dinarvex"
  program=./dinarvexsor
  [ -f dinarvexsor.exe ] && program=./dinarvexsor.exe
  # Appended to: helper processes of wine that outlive the program write to it too.
  ${DINARVEX_RUN_WITH:-} $program >>"$out/program.out" 2>&1 &
  pid=$!
  focus "^Reconversi"
  main=$win
  xdotool type --delay 30 DEMO
  xdotool key Tab
  xdotool type --delay 30 demo123
  xdotool key Tab Return
  sleep 3
  shot logged_in
  xdotool key Return
  focus "^Copia de respaldo"
  backup=$win
  xdotool key Return
  wait_for_script
  xdotool windowfocus "$backup"
  shot backup_log
  # Under wine the console window has had the focus: its "cerrar" button, by where the
  # window places it; else the keys that reach it.
  if [ -n "${DINARVEX_RUN_WITH:-}" ]; then
    xdotool mousemove --window "$backup" 940 597 click 1
  else
    xdotool key Tab Tab Tab Return
  fi
  sleep 0.5
  xdotool windowfocus "$main"
  sleep 0.3
  xdotool key Tab Return
  wait_second_window "$main"
  conversion=$win
  xdotool windowfocus "$conversion"
  sleep 0.5
  shot conversion_window
  # Its "Cerrar" button, by where the conversion window places it.
  xdotool mousemove --window "$conversion" 660 495 click 1
  sleep 0.5
  xdotool windowfocus "$main"
  sleep 0.3
  xdotool key Tab Return
  focus "^Confirmar"
  shot exit_question
  xdotool key shift+Tab space
  # The confirmed exit ends the program; one still running a minute later is stopped, and
  # its exit status says so. The watchdog holds none of the test's output open.
  (sleep 60 && kill "$pid") >/dev/null 2>&1 &
  watchdog=$!
  status=0
  wait "$pid" || status=$?
  kill "$watchdog" 2>/dev/null || true
  echo "exit=$status" >>"$out/program.out"
}

if [ "${4:-}" = --session ]; then
  session
  exit
fi

need_x_server
mkdir -p "$out"
rm -f "$out"/*.xwd "$out"/*.png "$out"/program.out
XDG_RUNTIME_DIR="$out/run"
export XDG_RUNTIME_DIR
mkdir -p "$XDG_RUNTIME_DIR"
"$source/tools/demo_suite.sh" "$out/suite" "$build"
export LSAN_OPTIONS="suppressions=$source/platform/ui/fltk/lsan_suppressions.txt:print_suppressions=0"
session_status=0
timeout 240 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$source" "$build" "$out" --session || session_status=$?
sed -i 's/\r$//' "$out/program.out"  # a Windows program's line ends
cat "$out/program.out"
[ "$session_status" = 0 ] || fail "the session ended with status $session_status"
grep -qx "exit=0" "$out/program.out"
test -f "$out/suite/Dinarvex/Dinarvex.INI"
