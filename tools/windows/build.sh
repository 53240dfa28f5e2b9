#!/bin/sh
# The Windows build: the libraries for mingw-w64 (once, see build_libraries.sh), then the
# program, its tests and dinarvexsor.exe under build/windows.
#
# Usage: tools/windows/build.sh [JOBS]
set -eu
cd "$(dirname "$0")/../.."
jobs=${1:-3}
# The mingw-w64 compilers (posix thread model), wine for the tests, tcl for SQLite's
# single-file source, zip for the package.
tools/setup.sh g++-mingw-w64-x86-64-posix wine wine64 tcl zip cmake make xvfb xdotool
tools/windows/build_libraries.sh "$jobs"
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE="$PWD/tools/windows/mingw-w64-x86_64.cmake" >/dev/null
cmake --build build/windows -j "$jobs"
