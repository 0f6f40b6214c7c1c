#!/usr/bin/env bash
# The demo: a standard installation of the fax client by the real STNIN32.EXE
# from the demo share (BUILD/share as drive F:) onto a fresh Wine PC that the
# program sees as Windows 95 (or NT 3.51, NT 4.0). Prints every box with its
# answer and what the installation changed on the PC, and saves a picture of
# the screen at each box in BUILD/demo/ (PNG). With --lifecycle, instead the
# client's whole life: install, edit, copy, update, uninstall, with each
# step's changes (also saved in BUILD/demo/lifecycle-PERSONALITY.txt).
# Uses the build tree's Wine (scripts/wine-place.sh) and a display of its own.
# Usage: demo.sh BUILD_DIR [--lifecycle] [win95|nt351|nt40]
# Exit status: 0 when the installation (or every step) completed.
set -uo pipefail

usage="usage: demo.sh BUILD_DIR [--lifecycle] [win95|nt351|nt40]"
build=$(cd "${1:?$usage}" && pwd) || exit 2
shift
mode=install
if [ "${1:-}" = "--lifecycle" ]; then mode=lifecycle; shift; fi
personality=${1:-win95}
case "$personality" in win95 | nt351 | nt40) ;; *) echo "$usage" >&2; exit 2 ;; esac
here=$(cd "$(dirname "$0")" && pwd)
testbed="$build/demo-testbed"
out="$build/demo"
mkdir -p "$testbed" "$out"
[ -f "$build/demo_driver.exe" ] || { echo "demo: $build/demo_driver.exe is missing: build $build first" >&2; exit 2; }

"$here/testbed.sh" up "$testbed" || exit 2
trap '"$here/testbed.sh" down "$testbed"' EXIT

wine_path() { local p="$1"; echo "Z:${p//\//\\}"; }

status=0
if [ "$mode" = lifecycle ]; then
  "$here/wine-run.sh" "$testbed" "$build/demo_driver.exe" lifecycle "$personality" >"$out/lifecycle-$personality.txt" || status=$?
  cat "$out/lifecycle-$personality.txt"
  echo "Saved in $out/lifecycle-$personality.txt"
  exit $status
fi

rm -f "$out"/screen-*.bmp "$out"/screen-*.png
"$here/wine-run.sh" "$testbed" "$build/demo_driver.exe" install "$personality" "$(wine_path "$out")" || status=$?
shopt -s nullglob
pictures=("$out"/screen-*.bmp)
for bmp in "${pictures[@]}"; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
[ ${#pictures[@]} -gt 0 ] && echo "Pictures of the screen at each box: $out/screen-01.png ... screen-$(printf '%02d' ${#pictures[@]}).png"
exit $status
