#!/usr/bin/env bash
# Native sanitizer check of the pure text units (native/): builds native/ with
# the host's clang, runs their table tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every libFuzzer target for a bounded time
# from its seed corpus and replays every seed through its target. Exits
# non-zero on any failure.
#
#   scripts/native-check.sh [seconds per fuzz target, default 15; 0 skips fuzzing] [build directory]
#
# JOBS (default 2) sets the parallel build. New inputs a run finds stay in
# <build>/fuzz-work/<unit>/; a failing input is written to
# <build>/fuzz-artifacts/. Once its fault is fixed, copy it into
# native/corpus/<unit>/ so that every later run replays it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-15}
build=${2:-$root/build/native}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "native-check: seconds must be a whole number, not '$seconds'" >&2; exit 2; }
for tool in clang++ cmake ninja; do
  command -v "$tool" >/dev/null || { echo "native-check: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 2; }
done
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

echo "== native build ($build)"
mkdir -p "$build/fuzz-work" "$build/fuzz-artifacts"
cmake -S "$root/native" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "${JOBS:-2}"
echo "== table tests of the pure units"
"$build/native_tests" --gtest_brief=1

echo "== fuzzing each target for $seconds s, then replaying its seeds"
failed=()
for corpus in "$root"/native/corpus/*/; do
  unit=$(basename "$corpus") work=$build/fuzz-work/$(basename "$corpus")
  rm -rf "$work" "$work.log" && mkdir -p "$work"
  if [ "$seconds" -gt 0 ] && ! "$build/${unit}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$unit-" "$work" "$corpus" >"$work.log" 2>&1; then
    echo "$unit: fuzzing FAILED; the end of $work.log:" && tail -n 40 "$work.log"
    failed+=("$unit (fuzzing)")
  elif ! "$build/${unit}_fuzz" "$corpus"* >"$work.replay.log" 2>&1; then
    echo "$unit: a seed FAILED; the end of $work.replay.log:" && tail -n 40 "$work.replay.log"
    failed+=("$unit (seeds)")
  else
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work.log" 2>/dev/null | tail -n 1) || true
    echo "$unit: ${runs:-no} inputs fuzzed, $(ls "$corpus" | wc -l) seeds passed"
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "native-check: FAILED: ${failed[*]}" >&2; exit 1; }
echo "native-check: all passed"
