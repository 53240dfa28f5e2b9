#!/bin/sh
# Builds the libraries the Windows program needs (SQLite, FLTK, GoogleTest) for mingw-w64,
# once, into build/mingw-libs/prefix. Debian has no mingw builds of them, so their sources
# come from Debian's source packages:
#   SQLite  3.40.1-2+deb12u2  from bookworm (the release this machine runs)
#   FLTK    1.3.11-2          from trixie: bookworm's 1.3.8-5 is listed, but its files are
#                             no longer on the mirror (404)
#   GoogleTest                from /usr/src/googletest (the googletest package)
# apt fetches them with a sources list and state of its own under build/, leaving the
# system's apt configuration alone. The Sources indexes come signed (Release files checked
# against Debian's archive keyring); each file is checked against its SHA-256 there before
# it is unpacked, as apt does from the .dsc.
#
# Usage: tools/windows/build_libraries.sh [JOBS]
set -eu
cd "$(dirname "$0")/../.."
root=$PWD
jobs=${1:-3}
work=$root/build/mingw-libs
prefix=$work/prefix
toolchain=$root/tools/windows/mingw-w64-x86_64.cmake

sqlite_version=3.40.1-2+deb12u2
fltk_version=1.3.11-2
stamp=$prefix/.built-sqlite-$sqlite_version-fltk-$fltk_version
[ -f "$stamp" ] && exit 0

rm -rf "$work"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/sources" "$prefix"

keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat >"$work/apt/sources.list" <<EOF
deb-src [signed-by=$keyring] http://deb.debian.org/debian bookworm main
deb-src [signed-by=$keyring] http://deb.debian.org/debian trixie main
EOF
apt_private() {
  "$@" -o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State="$work/apt" -o Dir::State::Status=/var/lib/dpkg/status \
    -o Dir::Cache="$work/apt/cache" -o Debug::NoLocking=1 -o APT::Sandbox::User=root
}
apt_private apt-get -q update >/dev/null

# Fetches one file of a source package and checks it against the SHA-256 that the signed
# Sources index lists for that version. Only the upstream tarball is needed: Debian's own
# patches concern its Linux packaging.
fetch() {
  package=$1 version=$2 file=$3
  sum=$(apt_private apt-cache showsrc "$package" |
    awk -v v="$version" -v f="$file" '/^Version:/ {this=($2 == v)}
      /^Checksums-Sha256:/ {in_sums=1; next} /^[^ ]/ {in_sums=0}
      this && in_sums && $3 == f {print $1; exit}')
  [ -n "$sum" ] || { echo "no checksum for $file in $package $version" >&2; exit 1; }
  # apt-get source fails when any file of the package is missing on the mirror; the file
  # this build needs is checked here whatever became of the others.
  (cd "$work/sources" && apt_private apt-get -q source --download-only "$package=$version" \
    >/dev/null 2>&1) || true
  [ -f "$work/sources/$file" ] || { echo "could not fetch $file" >&2; exit 1; }
  echo "$sum  $work/sources/$file" | sha256sum -c --quiet -
}

fetch sqlite3 "$sqlite_version" sqlite3_3.40.1.orig.tar.xz
fetch fltk1.3 "$fltk_version" fltk1.3_1.3.11.orig.tar.gz

# SQLite: the single-file amalgamation is generated natively (it needs tclsh), then
# compiled for Windows.
tar -xJf "$work/sources/sqlite3_3.40.1.orig.tar.xz" -C "$work"
(cd "$work/sqlite3-3.40.1" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -c "$work/sqlite3-3.40.1/sqlite3.c" \
  -o "$work/sqlite3.o"
mkdir -p "$prefix/include" "$prefix/lib"
x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$work/sqlite3-3.40.1/sqlite3.h" "$work/sqlite3-3.40.1/sqlite3ext.h" "$prefix/include/"

# FLTK with its bundled image libraries, no OpenGL, no test programs.
tar -xzf "$work/sources/fltk1.3_1.3.11.orig.tar.gz" -C "$work"
cmake -S "$work/fltk-1.3.11" -B "$work/fltk-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DOPTION_USE_GL=OFF \
  -DOPTION_USE_SYSTEM_ZLIB=OFF -DOPTION_USE_SYSTEM_LIBJPEG=OFF -DOPTION_USE_SYSTEM_LIBPNG=OFF \
  -DFLTK_BUILD_TEST=OFF -DFLTK_BUILD_EXAMPLES=OFF -DOPTION_BUILD_HTML_DOCUMENTATION=OFF \
  -DOPTION_BUILD_PDF_DOCUMENTATION=OFF >/dev/null
cmake --build "$work/fltk-build" -j "$jobs" >/dev/null
cmake --install "$work/fltk-build" >/dev/null

cmake -S /usr/src/googletest -B "$work/googletest-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/googletest-build" -j "$jobs" >/dev/null
cmake --install "$work/googletest-build" >/dev/null

rm -rf "$work/sqlite3-3.40.1" "$work/fltk-1.3.11" "$work/fltk-build" "$work/googletest-build"
touch "$stamp"
