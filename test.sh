#!/bin/sh
# Installs what the build needs (when missing), builds the project twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test in both builds.
set -eu
cd "$(dirname "$0")"
./tools/setup.sh
jobs=$(nproc)
for kind in plain sanitize; do
  dir="build/$kind"
  sanitize=OFF
  [ "$kind" = sanitize ] && sanitize=ON
  cmake -S . -B "$dir" -DDINARVEX_SANITIZE=$sanitize >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
done
