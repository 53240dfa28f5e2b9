#!/bin/sh
# Installs what the build needs, builds the program with a job per core, lays out a demo
# suite in build/demo (200 records in each converted table) and starts the program in it.
# Log in as DEMO with the password demo123.
set -eu
cd "$(dirname "$0")"
tools/setup.sh
cmake -S . -B build/plain
cmake --build build/plain -j"$(nproc)" --target dinarvexsor make_demo_suite
tools/demo_suite.sh build/demo build/plain
cd build/demo/Dinarvex
exec ./dinarvexsor
