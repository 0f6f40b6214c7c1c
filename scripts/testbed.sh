#!/usr/bin/env bash
# The Wine test bed: one Xvfb display and one booted template Wine prefix for
# a ctest run. `up DIR` starts both (the template is booted once and kept in
# DIR/template); `down DIR` stops the display by its PID. Each test then runs
# in its own copy of the template (scripts/wine-run.sh).
set -euo pipefail

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
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
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
# and an installed font for the caption and message fonts.
boot_template() {
  local template="$dir/template" stamp version
  version="$(wine --version 2>/dev/null || echo unknown)-bed2"
  stamp="$template/.telmora-ready"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ]; then
    return 0
  fi
  rm -rf "$template"
  mkdir -p "$template/prefix" "$template/home"
  export WINEPREFIX="$template/prefix" HOME="$template/home" WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
  export DISPLAY
  DISPLAY=$(cat "$dir/display")
  wineboot -i >"$dir/wineboot.log" 2>&1
  wineserver -w
  local user d p
  user=$(id -un)
  for d in Desktop Documents Downloads Music Pictures Videos; do
    p="$WINEPREFIX/drive_c/users/$user/$d"
    if [ -L "$p" ]; then rm "$p" && mkdir "$p"; fi
  done
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$dir/wineboot.log" 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$dir/wineboot.log" 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\win.ini' \
    /v ports /d 'SYS:Microsoft\Windows NT\CurrentVersion\Ports' /f >>"$dir/wineboot.log" 2>&1
  # The caption and message fonts are "MS Shell Dlg", which Wine substitutes
  # with Tahoma; Wine's own Tahoma is not among the fonts it loads here, so
  # no font would match those faces, unlike on Windows. An installed family
  # stands in for Tahoma.
  local standin="DejaVu Sans" families
  families=$(fc-list : family 2>/dev/null || true)
  case "$families" in *"Liberation Sans"*) standin="Liberation Sans" ;; esac
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d "$standin" /f >>"$dir/wineboot.log" 2>&1
  # Windows NT keeps the 16-bit SYSTEM directory beside SYSTEM32; Wine's
  # prefix has none, so a copy into it would fail where Windows succeeds.
  mkdir -p "$WINEPREFIX/drive_c/windows/system"
  wineserver -k || true
  wineserver -w || true
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
    rm -rf "$dir"/run.*
    ;;
  *)
    echo "usage: testbed.sh up|template|down DIR" >&2
    exit 2
    ;;
esac
