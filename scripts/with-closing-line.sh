#!/usr/bin/env bash
# Runs a command that runs the program of a build tree, then ends with one
# line naming that build and the Wine it ran under, whatever the command's
# outcome: "VERB: shipped i686 build under 32-bit Wine 8.0 (natively: ...)".
# Usage: with-closing-line.sh VERB BUILD_DIR COMMAND [ARGS...]
# Exit status: the command's.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
verb=${1:?usage: with-closing-line.sh VERB BUILD_DIR COMMAND...}
build=${2:?usage: with-closing-line.sh VERB BUILD_DIR COMMAND...}
shift 2
. "$here/wine-place.sh"
status=0
"$@" || status=$?
echo "$verb: $("$here/root32.sh" describe "$(wine_place "$build")")"
exit $status
