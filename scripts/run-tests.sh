#!/usr/bin/env bash
# The tests of one build tree under its Wine (ctest: the test bed, then every
# test executable in a fresh Wine PC), then, when a native build directory is
# given, the native sanitizer and fuzz check of the pure text units. Ends with
# the line naming the build and the Wine it tested.
# Usage: run-tests.sh BUILD_DIR [NATIVE_BUILD_DIR FUZZ_SECONDS]
# Environment: JOBS (2). Exit status: 0 when everything passed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-tests.sh BUILD_DIR [NATIVE_BUILD_DIR FUZZ_SECONDS]}
native=${2:-}
jobs=${JOBS:-2}
. "$here/wine-place.sh"

status=0
start=$(date +%s)
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=1
echo "ctest of $build: $(( $(date +%s) - start )) s"
if [ -n "$native" ]; then
  JOBS=$jobs "$here/native-check.sh" "${3:-10}" "$native" || status=1
fi
echo "tested: $("$here/root32.sh" describe "$(wine_place "$build")")"
exit $status
