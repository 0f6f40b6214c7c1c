#!/usr/bin/env bash
# The demo: a standard installation of the fax client by the x86_64
# STNIN32.EXE under Wine, in a fresh Wine PC, from the demo share (BUILD/share
# as drive F:); prints what it installed and saves PNG screenshots into BUILD/demo.
# Uses $DISPLAY when it answers, otherwise a display of its own (Xvfb).
# Usage: demo.sh BUILD_DIR (the x86_64 build tree)
set -euo pipefail

build=$(cd "${1:?usage: demo.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
testbed="$build/demo-testbed"
out="$build/demo"
mkdir -p "$testbed" "$out"
rm -f "$out"/*.bmp "$out"/*.png

own_display=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "$DISPLAY" >"$testbed/display"
  "$here/testbed.sh" template "$testbed"
else
  own_display=1
  "$here/testbed.sh" up "$testbed"
fi
stop() { [ "$own_display" = 1 ] && "$here/testbed.sh" down "$testbed"; true; }
trap stop EXIT

wine_path() { local p="$1"; echo "Z:${p//\//\\}"; }
"$here/wine-run.sh" "$testbed" "$build/demo_driver.exe" "F:\\SYSTEM\\WIN32\\STNIN32.EXE" "$(wine_path "$out")"

for shot in main-window function-box server-question installed screen; do
  convert "$out/$shot.bmp" "$out/$shot.png"
  rm -f "$out/$shot.bmp"
done
echo "Screenshots in $out: main-window, function-box, server-question, installed, screen (.png)"
