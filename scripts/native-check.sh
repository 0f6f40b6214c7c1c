#!/usr/bin/env bash
# Native sanitizer check of the pure text units (native/): configures and
# builds native/ with the host's clang, runs the native tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, runs every libFuzzer target
# for a bounded time from its seed corpus, and replays every seed through the
# fuzz target itself. Exits non-zero on any failure.
#
#   scripts/native-check.sh [seconds per fuzz target, default 15; 0 skips fuzzing] [build directory]
#
# JOBS (default 2) sets the parallel build and how many fuzz targets run at
# once. New inputs a run finds stay in <build>/fuzz-work/<unit>/; a failing
# input is written to <build>/fuzz-artifacts/. Once its fault is fixed, copy
# it into native/corpus/<unit>/ so that every later run replays it.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-15}
build=${2:-$root/build/native}
jobs=${JOBS:-2}

if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "native-check: seconds must be a whole number, not '$seconds'" >&2
  exit 2
fi
for tool in clang++ cmake ninja; do
  if ! command -v "$tool" >/dev/null; then
    echo "native-check: $tool is missing; scripts/install-deps.sh installs it" >&2
    exit 2
  fi
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

echo "== native build ($build)"
mkdir -p "$build"
cmake -S "$root/native" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs"

echo "== native tests"
"$build/native_tests" --gtest_brief=1

units=()
for folder in "$root"/native/corpus/*/; do
  units+=("$(basename "$folder")")
done

work=$build/fuzz-work
artifacts=$build/fuzz-artifacts
mkdir -p "$work" "$artifacts"

# Runs one target for the given time; its log and its result ("ok" or
# "failed") go to <work>/<unit>.log and <work>/<unit>.result.
fuzz_unit() {
  local unit=$1
  rm -rf "${work:?}/$unit"
  mkdir -p "$work/$unit"
  if "$build/${unit}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$unit-" "$work/$unit" "$root/native/corpus/$unit" >"$work/$unit.log" 2>&1; then
    echo ok >"$work/$unit.result"
  else
    echo failed >"$work/$unit.result"
  fi
}

failed=()
if [ "$seconds" -gt 0 ]; then
  echo "== fuzzing ${#units[@]} targets, $seconds s each, $jobs at a time"
  running=0
  for unit in "${units[@]}"; do
    rm -f "$work/$unit.result"
    fuzz_unit "$unit" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
      wait -n || true
      running=$((running - 1))
    fi
  done
  wait
  for unit in "${units[@]}"; do
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$unit.log" | tail -n 1)
    if [ "$(cat "$work/$unit.result" 2>/dev/null)" = ok ]; then
      echo "$unit: ${runs:-?} inputs, no failure"
    else
      echo "$unit: FAILED; the end of its log ($work/$unit.log):"
      tail -n 40 "$work/$unit.log"
      ls "$artifacts"/"$unit"-* 2>/dev/null | sed 's/^/  failing input: /' || true
      failed+=("$unit (fuzzing)")
    fi
  done
fi

echo "== replaying the seed corpora"
for unit in "${units[@]}"; do
  seeds=("$root/native/corpus/$unit"/*)
  if ! "$build/${unit}_fuzz" "${seeds[@]}" >"$work/$unit.replay.log" 2>&1; then
    echo "$unit: a seed FAILED:"
    tail -n 40 "$work/$unit.replay.log"
    failed+=("$unit (corpus)")
  else
    echo "$unit: ${#seeds[@]} seeds passed"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "native-check: FAILED: ${failed[*]}" >&2
  exit 1
fi
echo "native-check: all passed"
