#!/usr/bin/env bash
# One PC of the test fleet (scripts/fleet.sh): a Wine PC of its own whose
# prefix is an overlay over the fleet's booted template (lower: the template,
# upper: this PC's own writes, so no PC's writes reach the template or another
# PC), with its own wineserver and virtual desktop on the fleet's display, and
# the fleet's demo share mapped as F:.
#
#   fleet-pc.sh up FLEET NAME win95|nt40   mount, personality, desktop up as at
#                                          logon (NT 4.0: spooler service started)
#   fleet-pc.sh run FLEET NAME SECONDS PROGRAM [ARGS...]
#                                          runs PROGRAM in the PC, in F:\SYSTEM\,
#                                          with the caller's TELMORA_* variables,
#                                          and prints its exit code (fleet/run.cmd);
#                                          stopped after SECONDS: prints 124
#   fleet-pc.sh start FLEET NAME PROGRAM   starts PROGRAM in the PC and returns
#                                          once it is among the PC's processes
#   fleet-pc.sh drive FLEET NAME LETTER DIR   maps DIR as another drive
#   fleet-pc.sh file FLEET NAME PATH       writes standard input to PATH below
#                                          drive_c of the PC (DOS line ends kept)
#   fleet-pc.sh down FLEET NAME            stops its wineserver and all it runs,
#                                          unmounts and removes the PC
#
# FLEET is a test bed directory of a build tree (scripts/testbed.sh up FLEET:
# its display and FLEET/template) holding the share in FLEET/share. The PC's
# own files are in FLEET/pcs/NAME; Wine sees the merged prefix where the 32-bit
# root shows it (for the i686 build the mount is made inside the root's view).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-place.sh"

usage="usage: fleet-pc.sh up|run|start|drive|file|down FLEET NAME ..."
action=${1:?$usage}
fleet=$(cd "${2:?$usage}" && pwd) || exit 2
name=${3:?$usage}
shift 3
build=$(dirname "$fleet")
own="$fleet/pcs/$name"
# Where Wine sees the PC: the root's view of the build tree, or the tree itself.
view=$(wine_view "$build") || exit 2
pc="$view$own/pc"
pc_env "$own/pc" "$(cat "$fleet/display")"
wine_pc() { wine_in "$build" "${pc_environment[@]}" -- "$@"; }

# The version Wine gives STNIN32.EXE, as the tests set it.
declare -A wine_version_of=([win95]=win95 [nt40]=nt40)
# A bounded wait: up to $1 tenths of a second for the command after it.
wait_for() {
  local tenths=$1 i
  shift
  for ((i = 0; i < tenths; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
# Whether a Windows program of this PC runs (Wine names each process after its
# EXE; its environment names the prefix). Wine's tasklist is a stub.
running() {
  local comm
  for comm in $(grep -lx -- "$1" /proc/[0-9]*/comm 2>/dev/null); do
    tr '\0' '\n' 2>/dev/null <"${comm%/comm}/environ" | grep -qx "WINEPREFIX=$own/pc/prefix" && return 0
  done
  return 1
}

up() {
  local windows=${1:?$usage}
  [ -n "${wine_version_of[$windows]:-}" ] || { echo "fleet-pc: no Windows personality $windows" >&2; return 2; }
  [ -z "$view" ] || wine_bind "$build" || return 1
  mkdir -p "$own/upper" "$own/work" "$pc"
  mount -t overlay overlay -o "lowerdir=$fleet/template,upperdir=$own/upper,workdir=$own/work" "$pc" || return 1
  ln -sfn "$fleet/share" "$pc/prefix/dosdevices/f:"
  wine_pc wine reg add 'HKCU\Software\Wine\AppDefaults\STNIN32.EXE' /v Version /d "${wine_version_of[$windows]}" /f >/dev/null 2>&1 || return 1
  # The desktop and its shell, as at logon: they keep the PC's wineserver up.
  wine_pc wine explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &
  wait_for 300 running explorer.exe || { echo "fleet-pc: $name: the desktop did not come up" >&2; return 1; }
  if [ "$windows" = nt40 ]; then
    wine_pc wine net start spooler >/dev/null 2>&1 </dev/null
    wait_for 300 running spoolsv.exe || { echo "fleet-pc: $name: the spooler service did not start" >&2; return 1; }
  fi
}

run() {
  local seconds=${1:?$usage} status runner
  shift
  runner=$(cd "$here/../fleet" && pwd)/run.cmd
  wine_in "$build" "${pc_environment[@]}" -- timeout --kill-after=5 "$seconds" \
    wine cmd /c "Z:${runner//\//\\}" "$@" </dev/null >"$own/stdout" 2>"$own/stderr"
  status=$?
  if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    wine_pc wineserver -k >/dev/null 2>&1
    echo "fleet-pc: $name: $* did not end within $seconds s and was stopped" >&2
    echo 124
    return 0
  fi
  tail -n 1 "$own/stdout" | tr -d '\r' | grep -xE '[0-9]+'
  return 0
}

case "$action" in
  up) up "$@" ;;
  run) run "$@" ;;
  start)
    wine_pc wine "${1:?$usage}" >/dev/null 2>&1 </dev/null &
    wait_for 300 running "$(basename "${1//\\//}")" ;;
  drive) ln -sfn "${2:?$usage}" "$pc/prefix/dosdevices/${1:?$usage}:" ;;
  file) mkdir -p "$(dirname "$pc/prefix/drive_c/${1:?$usage}")" && cat >"$pc/prefix/drive_c/$1" ;;
  down)
    if mountpoint -q "$pc"; then
      wine_pc wineserver -k >/dev/null 2>&1
      wine_pc wineserver -w >/dev/null 2>&1
      umount "$pc" || umount -l "$pc"
    fi
    rm -rf --one-file-system "$own" ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
