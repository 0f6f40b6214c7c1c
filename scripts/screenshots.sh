#!/usr/bin/env bash
# Pictures of the main window and of every dialog template, in English and in
# German (with the QVIGER32.DLL fixture started as QVINTL32.DLL), as PNG files:
# BUILD/screenshots/en/*.png and BUILD/screenshots/de/*.png, 32 each.
# Usage: scripts/screenshots.sh BUILD (a built build directory: the one that
# runs here, build/i686 or, where no 32-bit program runs, build/x86_64).
# The pictures are taken under Xvfb in a test bed of their own
# (BUILD/screenshots-testbed), so a ctest run in the same build is not disturbed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: screenshots.sh BUILD}" && pwd)
tool="$build/tools/screenshot_dialogs.exe"
german="$build/fixtures/languages/QVIGER32.DLL"
out="$build/screenshots"
testbed="$build/screenshots-testbed"
pictures_per_language=32

for f in "$tool" "$german"; do
  [ -f "$f" ] || { echo "screenshots: $f is missing; build $build first" >&2; exit 2; }
done
command -v convert >/dev/null || { echo "screenshots: ImageMagick's convert is missing (scripts/install-deps.sh)" >&2; exit 2; }

# "/a/b" -> "Z:\a\b", the Wine drive that maps the Unix root.
wine_path() { local p="Z:$1"; printf '%s' "${p//\//\\}"; }

rm -rf "$out/en" "$out/de"
mkdir -p "$out/en" "$out/de"
"$here/testbed.sh" up "$testbed"
# The language library is found as QVINTL32.DLL in a directory of its own.
library="$testbed/library"
trap 'rm -rf "$library"; "$here/testbed.sh" down "$testbed"' EXIT
mkdir -p "$library"
cp "$german" "$library/QVINTL32.DLL"

"$here/wine-run.sh" "$testbed" "$tool" "$(wine_path "$out/en")"
"$here/wine-run.sh" "$testbed" "$tool" "$(wine_path "$out/de")" "$(wine_path "$library")"

for language in en de; do
  for bmp in "$out/$language"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm "$bmp"
  done
  count=$(find "$out/$language" -name '*.png' | wc -l)
  if [ "$count" -ne "$pictures_per_language" ]; then
    echo "screenshots: $count pictures in $out/$language, expected $pictures_per_language" >&2
    exit 1
  fi
done
echo "screenshots: $((2 * pictures_per_language)) pictures in $out/en and $out/de"
