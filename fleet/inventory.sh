#!/usr/bin/env bash
# The test fleet of `make fleet`: N PCs, each with its Windows personality, how
# it is prepared, what the rollout runs on it and what that must end with.
# Writes FLEET/plan.txt (one PC a line, its fields separated by "|"; read by
# scripts/fleet.sh and scripts/fleet-report.sh) and FLEET/inventory.yml
# (Ansible's inventory for fleet/rollout.yml) from the same rows.
# Usage: inventory.sh N FLEET_DIR RUN_SECONDS
#
# The first PCs are prepared to end each other way; the rest alternate two
# Windows 95 PCs and one NT 4.0 PC. Under 32-bit Wine an NT 4.0 PC with its
# spooler running refuses the Multisend printer ("(87)"), and the unattended
# run takes the box's proposed No: 1603, and its log names that box.
set -euo pipefail
n=${1:?usage: inventory.sh N FLEET_DIR RUN_SECONDS}
fleet=${2:?usage: inventory.sh N FLEET_DIR RUN_SECONDS}
seconds=${3:?usage: inventory.sh N FLEET_DIR RUN_SECONDS}
here=$(cd "$(dirname "$0")" && pwd)

# windows | preparation | arguments | expected code | words its log's result line must hold | note
special=(
  "win95|running|/Q|1618|the fax client is running|TELMORA.EXE running on the PC"
  "win95|readonly|/Q|1603|Unable to write to directory R:|request area R:\\ a read-only mount of F:\\REQUEST"
  "win95|installed|/Q /X|0||installed before, AUTOEXEC.BAT without our lines"
  "win95|restart|/Q /X|3010|AUTOEXEC.BAT was changed|installed before, AUTOEXEC.BAT with SET QVTLINIT"
)
plain_win95="win95|plain|/Q|0||"
plain_nt40="nt40|plain|/Q|1603|Unable to install Telmora Multisend Printer|NT 4.0: Wine refuses the Multisend printer (87)"

row() {
  local i=$1
  if [ "$i" -le ${#special[@]} ]; then echo "${special[$((i - 1))]}"
  elif [ $((i % 3)) -eq 0 ]; then echo "$plain_nt40"
  else echo "$plain_win95"; fi
}

{
  printf 'fleet:\n  vars:\n'
  printf '    ansible_connection: local\n    ansible_python_interpreter: /usr/bin/python3\n'
  printf '    fleet_dir: "%s"\n    fleet_pc: "%s"\n    run_seconds: %d\n' \
    "$fleet" "$(cd "$here/../scripts" && pwd)/fleet-pc.sh" "$seconds"
  printf '  hosts:\n'
} >"$fleet/inventory.yml"
: >"$fleet/plan.txt"
for ((i = 1; i <= n; i++)); do
  name=$(printf 'PC%03d' "$i")
  IFS='|' read -r windows preparation arguments code words note <<<"$(row "$i")"
  printf '%s|%s|%s|%s|%s|%s|%s\n' "$name" "$windows" "$preparation" "$arguments" "$code" "$words" "$note" >>"$fleet/plan.txt"
  # The arguments as a YAML list: "/Q /X" -> ["/Q", "/X"].
  printf '    %s:\n      windows: %s\n      setup_arguments: ["%s"]\n' "$name" "$windows" "${arguments// /\", \"}" >>"$fleet/inventory.yml"
done
