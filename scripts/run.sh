#!/usr/bin/env bash
# Builds Vexmar and opens its window with a new document. `scripts/run.sh --demo` shows the
# headless tools at work instead; other arguments go to the program (`scripts/run.sh type 'x'`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target vexmar -j2
vexmar=build/release/src/app/vexmar
demo() {
  set -x
  "$vexmar" type 'y=x^2{Right}+sin x' --caret
  "$vexmar" type '(a+b)(c+d){C-a}{C-e}'
  "$vexmar" eval 'x^2{Right}+1' --at x=3
  "$vexmar" classify 'x^2+y^2=1'
  "$vexmar" render -e 'y=x^2' -e 'y=\tan x' -e 'y=1/x' -o build/release/graphs.png
}
if [ $# -eq 0 ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display to open the window on; showing the headless tools instead" >&2
    demo
  else
    exec "$vexmar"
  fi
elif [ "$1" = "--demo" ]; then
  demo
else
  exec "$vexmar" "$@"
fi
