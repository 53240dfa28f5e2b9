#!/bin/sh
# Runs a Windows test program under wine for ctest. Now and then, with several programs
# starting at once, wine ends one before any of its code has run: a failure status and not
# a byte of output (GoogleTest prints its first lines at once). Such a start is made once
# more, and says so on the error output; a program that ran and failed is never run again.
#   tools/windows/wine_test_run.sh PROGRAM.exe [ARGUMENTS...]
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$@" >"$out" 2>"$err" || status=$?
if [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  echo "wine ended $1 before it ran (status $status): started once more" >&2
  status=0
  wine "$@" >"$out" 2>"$err" || status=$?
fi
cat "$out"
cat "$err" >&2
exit "$status"
