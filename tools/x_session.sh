# Shared by the scripts that drive the real windows under a virtual X server (sourced, not
# run). The waits are long because under wine a program's first window can take well over
# ten seconds to show on a machine whose files are not yet cached while other tests keep
# the disk busy; a wait that runs out says what it waited for.

fail() {
  echo "FAIL: $*"
  exit 1
}

# wait_window PATTERN: waits for a shown window whose title matches and sets `win` to it.
wait_window() {
  win=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
  [ -n "$win" ] || fail "no window titled $1 showed within 60 s"
}

# need_x_server TOOL...: ends the test as skipped (77) when a tool it drives the screen
# with is missing, or when no virtual X server can be started here.
need_x_server() {
  for tool in xvfb-run xdotool "$@"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
  done
  xvfb-run -a true >/dev/null 2>&1 || { echo "skipped: no X server can be started"; exit 77; }
}
