#!/usr/bin/env bash
# The benchmarks: brings a Wine test bed up in BUILD/bench-testbed, runs each
# benchmark program of the build under Wine (scripts/wine-run.sh: a fresh copy
# of the template prefix per program, the build's demo share as drive F:),
# prints their tables below a line naming the machine, keeps everything in
# BUILD/bench/results.md and brings the test bed down again.
#
# The quiet installation is compared with an NSIS installer doing the same
# job (bench/telmora.nsi, built here with Debian's makensis: 32-bit for the
# i686 build, amd64 for the x86_64 one), a CopyFileA loop over the same files
# and a minimal window program, and with itself run with the action log and
# the unattended run switched on. One reference installation records the job;
# then each round runs the five once, in turn (the order rotating from round
# to round), every run in a fresh prefix copy of its own, warmed up before it
# is timed and checked against the job afterwards (bench/install_bench.cpp).
# Usage: bench.sh BUILD_DIR (a build tree built in full)
# Environment: BENCH_REPETITIONS (5; the start-up is measured twice as often),
# BENCH_ROUNDS (14, the installation comparison), BENCH_LARGEST_MB (10; 1
# leaves the 10 MB files out), BENCH_ONLY (run only the named program:
# rewrite_bench, startup_bench or install_bench).
# Exit status: 0, or 1 when a benchmark failed.
set -uo pipefail

build=$(cd "${1:?usage: bench.sh BUILD_DIR}" && pwd) || exit 2
here=$(cd "$(dirname "$0")" && pwd)
testbed="$build/bench-testbed"
results="$build/bench/results.md"
repetitions=${BENCH_REPETITIONS:-5}
rounds=${BENCH_ROUNDS:-14}
largest_mb=${BENCH_LARGEST_MB:-10}
only=${BENCH_ONLY:-}

wine_path() { local p="$1"; echo "Z:${p//\//\\}"; }
. "$here/wine-place.sh"

for program in rewrite_bench startup_bench bench_window install_bench; do
  if [ ! -f "$build/bench/$program.exe" ]; then
    echo "bench: $build/bench/$program.exe is missing: build the benchmarks first" >&2
    exit 2
  fi
done
if ! command -v makensis >/dev/null; then
  echo "bench: makensis is missing: apt-get install --no-install-recommends nsis" >&2
  exit 2
fi
if [ ! -f "$build/share/SYSTEM/WIN32/STNIN32.EXE" ]; then
  echo "bench: the demo share $build/share is missing: build everything first" >&2
  exit 2
fi

"$here/testbed.sh" up "$testbed" || exit 2
trap '"$here/testbed.sh" down "$testbed"' EXIT

machine() {
  local cpu
  cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}, $(uname -sr)"
  echo "Build: $(basename "$build"), under $("$here/root32.sh" describe "$(wine_place "$build")")"
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

# The installation comparison: the NSIS installer, the reference job, the
# rounds (one result line each in BUILD/bench/install-runs.txt), the table.
compare_installers() {
  if [ -n "$only" ] && [ "$only" != install_bench ]; then return 0; fi
  local nsis="$build/bench/telmora-nsis.exe" job="$build/bench/install-job.txt" runs="$build/bench/install-runs.txt"
  local target=() kinds=(program logged nsis copy window) round i kind program line status=0
  [ "$(wine_place "$build")" = host ] && target=(-DTARGET=amd64-unicode)
  printf '\n### install_bench\n\n' | tee -a "$results"
  makensis -V1 "${target[@]}" -DOUTFILE="$nsis" "$here/../bench/telmora.nsi" || return 1
  "$here/wine-run.sh" "$testbed" "$build/bench/install_bench.exe" job "$(wine_path "$job")" >"$job.log" 2>&1 ||
    { cat "$job.log" >&2; return 1; }
  echo "The job (what the reference installation changed): $(grep -c . "$job") changes, in $job"
  : >"$runs"
  for round in $(seq 1 "$rounds"); do
    for i in 0 1 2 3 4; do
      kind=${kinds[$(((round + i) % 5))]}
      case $kind in
        program | logged) program='F:\SYSTEM\WIN32\STNIN32.EXE' ;;
        nsis) program=$(wine_path "$nsis") ;;
        window) program=$(wine_path "$build/bench/bench_window.exe") ;;
        copy) program=- ;;
      esac
      line=$("$here/wine-run.sh" "$testbed" "$build/bench/install_bench.exe" run "$kind" "$(wine_path "$job")" "$program" 2>&1)
      echo "$round $line" >>"$runs"
      case $line in ok*) ;; *) echo "round $round: $line" | tee -a "$results" >&2; status=1 ;; esac
    done
  done
  {
    echo "Quiet installation on the Windows 95 personality against the same job done otherwise:"
    echo "$rounds rounds, the five runs of a round in turn, each from CreateProcess to the exit in a fresh prefix;"
    echo "load average $(cut -d' ' -f1-3 /proc/loadavg) afterwards."
    echo
    "$here/wine-run.sh" "$testbed" "$build/bench/install_bench.exe" summary "$(wine_path "$runs")"
  } 2>&1 | tee -a "$results"
  return $status
}

machine | tee "$results"
failed=0
run rewrite_bench "$repetitions" "$largest_mb" || failed=1
run startup_bench "$(wine_path "$build/bench/bench_window.exe")" "$((repetitions * 2))" || failed=1
compare_installers || failed=1
echo
echo "Results kept in $results"
exit "$failed"
