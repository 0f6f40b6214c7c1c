#!/usr/bin/env bash
# The Wine test bed: one Xvfb display and one booted template Wine prefix for
# a ctest run. `up DIR` starts both (the template is booted once and kept in
# DIR/template); `down DIR` stops the display by its PID. Each test then runs
# in its own copy of the template (scripts/wine-run.sh). DIR lies in a build
# tree, whose Wine it uses (scripts/wine-place.sh).
set -euo pipefail
. "$(dirname "$0")/wine-place.sh"

action=${1:?usage: testbed.sh up|template|down DIR}
dir=${2:?usage: testbed.sh up|template|down DIR}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

free_display() {
  local n
  for n in $(seq 91 190); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return 0
    fi
  done
  echo "no free X display between :91 and :190" >&2
  return 1
}

start_display() {
  local n pid i
  n=$(free_display)
  # Room for the many X connections of a fleet of Wine PCs (make fleet): each
  # desktop and program holds a few, and 256 are too few for 100 PCs.
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -maxclients 2048 >"$dir/xvfb.log" 2>&1 &
  pid=$!
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "Xvfb :$n did not start:" >&2
      cat "$dir/xvfb.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "$pid" >"$dir/xvfb.pid"
  echo ":$n" >"$dir/display"
}

stop_display() {
  if [ -f "$dir/xvfb.pid" ]; then
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid" "$dir/display"
  fi
}

# Boots the template prefix once: sandboxed HOME, virtual desktop (no 2 s
# stall when windows hide), no menu builder, the Windows-like [ports] mapping,
# and Wine's own TrueType fonts (Debian's fonts-wine) in C:\windows\Fonts:
# Tahoma for the caption and message fonts, Marlett for the caption buttons.
boot_template() {
  local template="$dir/template" stamp version build
  build=$(dirname "$dir")
  version="$(wine_version "$build" || echo unknown)-$(wine_place "$build")-bed5"
  stamp="$template/.telmora-ready"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
    return 0
  fi
  rm -rf "$template"
  mkdir -p "$template/prefix" "$template/home"
  local pc_environment
  WINEDEBUG=-all pc_env "$template" "$(cat "$dir/display")"
  local env=("${pc_environment[@]}")
  wine_in "$build" "${env[@]}" -- wineboot -i >"$dir/wineboot.log" 2>&1
  wine_in "$build" "${env[@]}" -- wineserver -w
  local user d p
  user=$(id -un)
  for d in Desktop Documents Downloads Music Pictures Videos; do
    p="$template/prefix/drive_c/users/$user/$d"
    if [ -L "$p" ]; then rm "$p" && mkdir "$p"; fi
  done
  reg() { wine_in "$build" "${env[@]}" -- wine reg add "$@" /f >>"$dir/wineboot.log" 2>&1; }
  reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
  reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\win.ini' \
    /v ports /d 'SYS:Microsoft\Windows NT\CurrentVersion\Ports'
  # A program that crashes ends with Wine's backtrace on its output instead
  # of waiting for someone to close the crash dialog.
  reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  # Windows NT keeps the 16-bit SYSTEM directory beside SYSTEM32; Wine's
  # prefix has none, so a copy into it would fail where Windows succeeds.
  mkdir -p "$template/prefix/drive_c/windows/system"
  # Debian's Wine 8 looks for its own fonts in "<data dir>\../fonts", a name
  # Wine's file system refuses, so without a copy where Windows keeps them no
  # font answers the "MS Shell Dlg" (Tahoma) of the caption and message fonts.
  wine_in "$build" -- cp /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
    /usr/share/wine/fonts/marlett.ttf "$template/prefix/drive_c/windows/Fonts/"
  wine_in "$build" "${env[@]}" -- wineserver -k || true
  wine_in "$build" "${env[@]}" -- wineserver -w || true
  echo "$version" >"$stamp"
}

case "$action" in
  up)
    stop_display
    start_display
    boot_template
    ;;
  template)
    boot_template
    ;;
  down)
    stop_display
    # Runs that ctest cut short (a test that timed out) leave theirs.
    for run in "$dir"/run.*; do [ -e "$run" ] && remove_run "$run"; done
    true
    ;;
  *)
    echo "usage: testbed.sh up|template|down DIR" >&2
    exit 2
    ;;
esac
