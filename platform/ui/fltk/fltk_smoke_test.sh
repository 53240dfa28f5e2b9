#!/bin/sh
# Opens the demo window under a virtual X server, types into it and presses keys as a
# person would (xdotool), keeps screenshots in the output folder, and checks what the
# window took. Skips (77) where no X server can be started.
set -eu
demo=$1
out=$2
for tool in xvfb-run xdotool xwd; do
  command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
xvfb-run -a true >/dev/null 2>&1 || { echo "skipped: no X server can be started"; exit 77; }
mkdir -p "$out"
rm -f "$out"/*.xwd "$out"/*.png "$out"/demo.out

# Under the sanitizers: the system's font libraries hold their caches to the end.
export LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan_suppressions.txt:print_suppressions=0"
export DEMO="$demo" OUT="$out"
xvfb-run -a -s "-screen 0 800x600x24" sh -eu -c '
  "$DEMO" >"$OUT/demo.out" 2>&1 &
  demo=$!
  win=$(timeout 10 xdotool search --sync --name "^Prueba")
  xdotool windowfocus "$win"; sleep 0.3
  xdotool type --delay 30 ADMIN; xdotool key Tab
  xdotool type --delay 30 hola; xdotool key shift+Return; xdotool type --delay 30 dos
  xdotool key Tab Tab; sleep 0.5
  xwd -root -silent -out "$OUT/window.xwd"
  xdotool key Return
  box=$(timeout 10 xdotool search --sync --name "^Confirmar")
  xdotool windowfocus "$box"; sleep 0.5
  xwd -root -silent -out "$OUT/message.xwd"
  xdotool key Return
  timeout 10 sh -c "while kill -0 $demo 2>/dev/null; do sleep 0.1; done"
  wait $demo
'
if command -v convert >/dev/null 2>&1; then
  for shot in "$out"/*.xwd; do convert "$shot" "${shot%.xwd}.png" 2>/dev/null || true; done
fi
cat "$out/demo.out"
grep -qx "usuario=ADMIN" "$out/demo.out"
grep -q "^respuesta=1$" "$out/demo.out"
grep -qx "nota=hola" "$out/demo.out"
grep -qx "dos" "$out/demo.out"
