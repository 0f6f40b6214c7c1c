#!/usr/bin/env bash
# Runs one Windows executable under Wine in a fresh copy of the test bed's
# template prefix, with its own wineserver, on the test bed's display.
# Usage: wine-run.sh TESTBED_DIR PROGRAM.EXE [ARGS...]. Exit status: the program's.
# The build's demo share (BUILD/share beside TESTBED_DIR) appears as drive F:.
# Everything started in the copy is stopped with its wineserver afterwards.
# The Wine is the build tree's (scripts/wine-place.sh): the 32-bit root's for
# the i686 build, the host's 64-bit Wine for the x86_64 build.
set -uo pipefail
. "$(dirname "$0")/wine-place.sh"

testbed=${1:?usage: wine-run.sh TESTBED_DIR PROGRAM [ARGS...]}
testbed=$(cd "$testbed" 2>/dev/null && pwd) || { echo "wine-run: no test bed directory $1" >&2; exit 2; }
shift
program=${1:?usage: wine-run.sh TESTBED_DIR PROGRAM [ARGS...]}
shift

if [ ! -f "$testbed/display" ] || [ ! -d "$testbed/template/prefix" ]; then
  echo "wine-run: the test bed in $testbed is not up (scripts/testbed.sh up $testbed)" >&2
  exit 2
fi

build=$(dirname "$testbed")
run=$(mktemp -d "$testbed/run.XXXXXX")
cleanup() {
  wine_in "$build" WINEPREFIX="$run/prefix" -- wineserver -k >/dev/null 2>&1 || true
  wine_in "$build" WINEPREFIX="$run/prefix" -- wineserver -w >/dev/null 2>&1 || true
  remove_run "$run"
}
trap cleanup EXIT
trap "exit 143" TERM INT

cp -a "$testbed/template/prefix" "$run/prefix"
cp -a "$testbed/template/home" "$run/home"

# The demo fax server share of the build, when there is one, as drive F:
# (a copy per run, so what one run writes there no other run sees).
share="$build/share"
if [ -d "$share" ]; then
  cp -a "$share" "$run/share"
  ln -sfn "$run/share" "$run/prefix/dosdevices/f:"
fi

pc_env "$run" "$(cat "$testbed/display")"

# Output goes to files first: a window the shell starts may inherit our
# handles and keep a pipe open after the program ends.
wine_in "$build" "${pc_environment[@]}" -- wine "$program" "$@" >"$run/stdout" 2>"$run/stderr" </dev/null
status=$?
cat "$run/stdout"
cat "$run/stderr" >&2
exit $status
