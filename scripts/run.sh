#!/usr/bin/env bash
# Builds Vexmar and runs it. With no arguments it shows an example of the headless editor; any
# arguments are passed to the program (`scripts/run.sh type 'x'`, or `scripts/run.sh --window`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target vexmar -j2
vexmar=build/release/src/app/vexmar
if [ $# -eq 0 ]; then
  set -x
  "$vexmar" type '{cmd:0x1503}{cmd:0x1500}' --start 'plus[char[x],char[y]]' --caret
  "$vexmar" type '{Right}{C-c}{C-v}' --start 'plus[char[a],char[b]]' --caret
elif [ "$1" = "--window" ]; then
  exec "$vexmar"
else
  exec "$vexmar" "$@"
fi
