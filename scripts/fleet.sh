#!/usr/bin/env bash
# `make fleet`: a rollout of the fax client through Ansible to N Wine PCs at
# once, each from the same demo share, as an administrator runs it on a LAN.
# Boots the PCs (scripts/fleet-pc.sh, a few at a time), prepares some to end
# each other way (fleet/inventory.sh), runs fleet/rollout.yml with one fork
# per PC, prints Ansible's recap, the table by result code with each failure's
# reason from its PC's log, the wall time, the per-PC median and slowest and
# the memory peak (scripts/fleet-report.sh), checks that the share's files
# other than LOGS\ are unchanged, and checks the Windows form deploy/rollout.yml
# with ansible-playbook --syntax-check. Everything it started (PCs, mounts,
# Xvfb) is stopped at the end, also when interrupted.
# Usage: fleet.sh BUILD_DIR [N]
# Environment: FLEET_BOOT_JOBS (PCs booted at once, 4), FLEET_RUN_SECONDS
# (a run is stopped after this, 120).
# Exit status: 0 when every PC ended as its preparation expects.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-place.sh"
build=$(cd "${1:?usage: fleet.sh BUILD_DIR [N]}" && pwd) || exit 2
n=${2:-20}
boot_jobs=${FLEET_BOOT_JOBS:-4}
seconds=${FLEET_RUN_SECONDS:-120}
fleet="$build/fleet"
[ -f "$build/share/SYSTEM/STNINST.EXE" ] ||
  { echo "fleet: $build/share is missing: build $build first" >&2; exit 2; }
"$here/install-deps.sh" fleet || exit 2

view=$(wine_view "$build") || exit 2
readonly_request="$fleet/ro-request"

# Seconds since a time taken with `date +%s.%N`.
since() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }'; }

# Every PC, the read-only mount, the display and the memory sampler.
cleanup() {
  local job pc
  # The PCs still booting first, with what they run, so none comes up after this.
  { for job in $(jobs -p); do pkill -TERM -P "$job"; kill "$job"; done; wait; } 2>/dev/null
  [ -z "${sampler:-}" ] || kill "$sampler" 2>/dev/null
  for pc in "$fleet"/pcs/*; do
    [ -d "$pc" ] || continue
    "$here/fleet-pc.sh" down "$fleet" "$(basename "$pc")" &
    while [ "$(jobs -rp | wc -l)" -ge "$boot_jobs" ]; do wait -n; done
  done
  wait
  mountpoint -q "$view$readonly_request" && umount "$view$readonly_request"
  "$here/testbed.sh" down "$fleet" >/dev/null 2>&1
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The machine's memory in use (total less available), in MiB.
memory_in_use() { awk '/^MemTotal/ { t = $2 } /^MemAvailable/ { a = $2 } END { print int((t - a) / 1024) }' /proc/meminfo; }

# Its largest value, sampled every half second.
sample_memory() {
  local peak=0 used
  while :; do
    used=$(memory_in_use)
    [ "$used" -gt "$peak" ] && peak=$used && echo "$peak" >"$fleet/memory-peak"
    sleep 0.5
  done
}

# The share's files other than LOGS\, each with its hash.
share_hashes() { (cd "$fleet/share" && find . -path ./LOGS -prune -o -type f -print0 | sort -z | xargs -0 sha256sum); }

# Boots one PC and prepares it as plan.txt says; the outcome in FLEET/boot/NAME.
prepare() {
  local name=$1 windows=$2 preparation=$3
  "$here/fleet-pc.sh" up "$fleet" "$name" "$windows" || { echo "did not boot" >"$fleet/boot/$name"; return 1; }
  case "$preparation" in
    # Its TELMORA.INI names the read-only mount as the request area. The
    # others have none: the run takes the areas from its working directory.
    readonly) "$here/fleet-pc.sh" drive "$fleet" "$name" r "$readonly_request" &&
                printf '[WORKSTATION]\r\nUserArea: F:\\USERS\\%%NAME%%\r\nSystemArea: F:\\SYSTEM\r\nRequestArea: R:\\\r\n' |
                "$here/fleet-pc.sh" file "$fleet" "$name" windows/TELMORA.INI ;;
    running) "$here/fleet-pc.sh" start "$fleet" "$name" 'F:\SYSTEM\I386\TELMORA.EXE' ||
               { echo "the client did not start" >"$fleet/boot/$name"; return 1; } ;;
    installed | restart)
      if [ "$preparation" = restart ]; then printf '@ECHO OFF\r\nSET QVTLINIT=C:\\WINDOWS\r\n'; else printf '@ECHO OFF\r\n'; fi |
        "$here/fleet-pc.sh" file "$fleet" "$name" AUTOEXEC.BAT
      # Installed before by a plain quiet run (no box on Windows 95).
      [ "$(env -u TELMORA_SETUP_LOG -u TELMORA_SETUP_UNATTENDED "$here/fleet-pc.sh" run "$fleet" "$name" "$seconds" 'F:\SYSTEM\STNINST.EXE' /Q)" = 0 ] ||
        { echo "the installation before failed" >"$fleet/boot/$name"; return 1; } ;;
  esac
  echo ok >"$fleet/boot/$name"
}

start_all=$(date +%s.%N)
baseline=$(memory_in_use)
cleanup
"$here/testbed.sh" up "$fleet" || exit 2
sample_memory &
sampler=$!
disown
rm -rf "$fleet/share" "$fleet/results.txt" "$fleet/boot" "$fleet/pcs"
mkdir -p "$fleet/boot" "$fleet/pcs"
cp -a "$build/share" "$fleet/share" && mkdir -p "$fleet/share/LOGS" || exit 2
share_hashes >"$fleet/share-before"
"$here/../fleet/inventory.sh" "$n" "$fleet" "$seconds" || exit 2
# The request folder once more as a read-only mount, for the PC that cannot write it.
[ -z "$view" ] || wine_bind "$build" || exit 2
mkdir -p "$view$readonly_request"
mount --bind "$fleet/share/REQUEST" "$view$readonly_request" && mount -o remount,bind,ro "$view$readonly_request" || exit 2

echo "fleet: booting $n PCs, $boot_jobs at a time (desktop up; NT 4.0 also its spooler service)"
start_boot=$(date +%s.%N)
while IFS='|' read -r name windows preparation _; do
  prepare "$name" "$windows" "$preparation" &
  while [ "$(jobs -rp | wc -l)" -ge "$boot_jobs" ]; do wait -n; done
done <"$fleet/plan.txt"
wait
boot_seconds=$(since "$start_boot")
echo "fleet: $(grep -lx ok "$fleet"/boot/* | wc -l) of $n PCs up in $boot_seconds s"

start_run=$(date +%s.%N)
# Ansible shows the PCs that failed as they fail, then its recap and the
# time each task took.
ANSIBLE_LOCALHOST_WARNING=false ANSIBLE_RETRY_FILES_ENABLED=false ANSIBLE_NOCOLOR=1 \
  ANSIBLE_CALLBACKS_ENABLED=ansible.posix.profile_tasks \
  ANSIBLE_DISPLAY_OK_HOSTS=false ANSIBLE_DISPLAY_SKIPPED_HOSTS=false \
  ansible-playbook -i "$fleet/inventory.yml" --forks "$n" "$here/../fleet/rollout.yml"
run_seconds=$(since "$start_run")

status=0
share_hashes >"$fleet/share-after"
FLEET_WALL_SECONDS=$run_seconds FLEET_BOOT_SECONDS=$boot_seconds "$here/fleet-report.sh" "$fleet" || status=1
if diff -u "$fleet/share-before" "$fleet/share-after" >"$fleet/share-changes"; then
  echo "The share's files other than LOGS\\ are unchanged ($(wc -l <"$fleet/share-before") files, sha256)."
else
  echo "The share changed outside LOGS\\:"; cat "$fleet/share-changes"; status=1
fi
echo "Syntax check of the Windows form:"
ANSIBLE_NOCOLOR=1 ansible-playbook --syntax-check -i "$here/../deploy/inventory.yml" "$here/../deploy/rollout.yml" || status=1
echo "Memory in use at its peak: $(cat "$fleet/memory-peak") MiB of $(awk '/^MemTotal/ { print int($2 / 1024) }' /proc/meminfo) MiB; $baseline MiB before; the whole run took $(since "$start_all") s"
exit $status
