#!/bin/sh
# Installs the Debian packages the build, the tests and the program need, unless all are present;
# given packages, those instead.
#   tools/setup.sh [PACKAGE...]
set -eu
packages="g++ cmake make pkg-config python3 libgtest-dev libgmock-dev libsqlite3-dev sqlite3 libfltk1.3-dev xvfb xdotool x11-apps imagemagick"
[ $# -gt 0 ] && packages="$*"
missing=""
for p in $packages; do
  dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y $missing
