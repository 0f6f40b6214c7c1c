#!/usr/bin/env bash
# The demo: a standard installation of the fax client by the x86_64
# STNIN32.EXE under Wine, in a fresh Wine PC, from the demo share (BUILD/share
# as drive F:); prints what it installed and saves PNG screenshots into BUILD/demo.
# With --lifecycle, instead: the client's whole life (install, edit, copy,
# update, uninstall) in a fresh Wine PC that STNIN32.EXE sees as Windows 95,
# NT 3.51 or NT 4.0, printing every box, its answer and each step's changes
# (also saved in BUILD/demo/lifecycle-PERSONALITY.txt).
# Uses $DISPLAY when it answers, otherwise a display of its own (Xvfb).
# Usage: demo.sh BUILD_DIR [--lifecycle win95|nt351|nt40]   (BUILD_DIR: the x86_64 build tree)
set -euo pipefail

usage="usage: demo.sh BUILD_DIR [--lifecycle win95|nt351|nt40]"
build=$(cd "${1:?$usage}" && pwd)
lifecycle=""
if [ $# -ge 2 ]; then
  [ "$2" = "--lifecycle" ] || { echo "$usage" >&2; exit 2; }
  lifecycle=${3:-win95}
  case "$lifecycle" in win95 | nt351 | nt40) ;; *) echo "$usage" >&2; exit 2 ;; esac
fi
here=$(cd "$(dirname "$0")" && pwd)
testbed="$build/demo-testbed"
out="$build/demo"
mkdir -p "$testbed" "$out"
if [ -z "$lifecycle" ]; then rm -f "$out"/*.bmp "$out"/*.png; fi

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

if [ -n "$lifecycle" ]; then
  # The driver's exit status is kept (set -e would end the script first).
  status=0
  "$here/wine-run.sh" "$testbed" "$build/lifecycle_driver.exe" "$lifecycle" >"$out/lifecycle-$lifecycle.txt" || status=$?
  cat "$out/lifecycle-$lifecycle.txt"
  echo "Saved in $out/lifecycle-$lifecycle.txt"
  exit $status
fi

wine_path() { local p="$1"; echo "Z:${p//\//\\}"; }
"$here/wine-run.sh" "$testbed" "$build/demo_driver.exe" "F:\\SYSTEM\\WIN32\\STNIN32.EXE" "$(wine_path "$out")"

for shot in main-window function-box server-question installed screen; do
  convert "$out/$shot.bmp" "$out/$shot.png"
  rm -f "$out/$shot.bmp"
done
echo "Screenshots in $out: main-window, function-box, server-question, installed, screen (.png)"
