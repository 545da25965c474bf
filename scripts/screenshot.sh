#!/usr/bin/env bash
# Takes the README's picture of the window under a virtual display: a few equations typed and
# graphed, saved to docs/screenshot.png (or the file given). Uses build/release from run.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshot.png}")"
bash scripts/bootstrap.sh
command -v xvfb-run >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"; $sudo apt-get install -y -qq xvfb; }
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target vexmar -j2
# A settings folder of its own, so the picture has a known size and the user's layout is untouched.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/Orvenda"
printf '[General]\nFrameSizeX=860\nFrameSizeY=780\nFramePosX=0\nFramePosY=0\nEqnPaneSize=340\n' \
  >"$home/Orvenda/Vexmar.conf"
XDG_CONFIG_HOME="$home" VEXMAR_SCREENSHOT="$out" \
  VEXMAR_SCREENSHOT_KEYS='y=x^2{Right}/4{Right}-1{C-n}y=2\sin x{C-n}x^2{Right}+y^2{Right}<4{C-n}x^3{Right}+y^3{Right}=3x y{C-n}y=?{Enter}' \
  xvfb-run -a -s '-screen 0 1280x1024x24' build/release/src/app/vexmar
echo "screenshot: $out"
