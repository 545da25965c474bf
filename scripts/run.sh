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
  "$vexmar" type 'y=x^2{Right}+sin x' --caret
  "$vexmar" type '(a+b)(c+d){C-a}{C-e}'
  "$vexmar" eval 'x^2{Right}+1' --at x=3
  "$vexmar" classify 'x^2+y^2=1'
elif [ "$1" = "--window" ]; then
  exec "$vexmar"
else
  exec "$vexmar" "$@"
fi
