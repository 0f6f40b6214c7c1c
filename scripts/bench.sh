#!/usr/bin/env bash
# The benchmarks: brings a Wine test bed up in BUILD/bench-testbed, runs each
# benchmark program of the build under Wine (scripts/wine-run.sh: a fresh copy
# of the template prefix per program, the build's demo share as drive F:),
# prints their tables below a line naming the machine, keeps everything in
# BUILD/bench/results.md and brings the test bed down again.
# Usage: bench.sh BUILD_DIR (the x86_64 build tree, built in full)
# Environment: BENCH_REPETITIONS (5; the start-up is measured twice as often),
# BENCH_LARGEST_MB (10; 1 leaves the 10 MB files out), BENCH_ONLY (run only
# the named program: rewrite_bench, startup_bench or install_bench).
# Exit status: 0, or 1 when a benchmark failed.
set -uo pipefail

build=$(cd "${1:?usage: bench.sh BUILD_DIR}" && pwd) || exit 2
here=$(cd "$(dirname "$0")" && pwd)
testbed="$build/bench-testbed"
results="$build/bench/results.md"
repetitions=${BENCH_REPETITIONS:-5}
largest_mb=${BENCH_LARGEST_MB:-10}
only=${BENCH_ONLY:-}

wine_path() { local p="$1"; echo "Z:${p//\//\\}"; }

for program in rewrite_bench startup_bench bench_window install_bench; do
  if [ ! -f "$build/bench/$program.exe" ]; then
    echo "bench: $build/bench/$program.exe is missing: build the benchmarks first" >&2
    exit 2
  fi
done
if [ ! -f "$build/share/SYSTEM/WIN32/STNIN32.EXE" ]; then
  echo "bench: the demo share $build/share is missing: build everything first" >&2
  exit 2
fi

"$here/testbed.sh" up "$testbed" || exit 2
trap '"$here/testbed.sh" down "$testbed"' EXIT

machine() {
  local cpu
  cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}, $(wine --version 2>/dev/null), $(uname -sr)"
  echo "Run: $(date -u '+%Y-%m-%d %H:%M UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
}

# Runs one benchmark program; its output goes to the screen and the results.
run() {
  local program=$1
  shift
  if [ -n "$only" ] && [ "$only" != "$program" ]; then return 0; fi
  printf '\n### %s\n\n' "$program" | tee -a "$results"
  "$here/wine-run.sh" "$testbed" "$build/bench/$program.exe" "$@" 2>&1 | tee -a "$results"
  local status=${PIPESTATUS[0]}
  [ "$status" = 0 ] || echo "bench: $program failed with exit status $status" | tee -a "$results" >&2
  return "$status"
}

machine | tee "$results"
failed=0
run rewrite_bench "$repetitions" "$largest_mb" || failed=1
run startup_bench "$(wine_path "$build/bench/bench_window.exe")" "$((repetitions * 2))" || failed=1
run install_bench "$repetitions" || failed=1
echo
echo "Results kept in $results"
exit "$failed"
