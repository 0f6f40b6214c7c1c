# Sourced by the test bed, the demo and the benchmarks: where the Wine of a
# build tree runs. The i686 build (the shipped STNIN32.EXE) runs under the
# 32-bit Wine of the 32-bit root (scripts/root32.sh); the x86_64 build under
# the host's 64-bit Wine. CMake writes the place into BUILD/wine-place.
#
#   wine_place BUILD                       prints root or host
#   wine_in BUILD NAME=value... -- CMD...  runs CMD with only that environment
#                                          (plus PATH), where BUILD's Wine runs
#   wine_version BUILD                     "8.0", say
#   remove_run RUN                         a test bed run directory, its mounts first
#   wine_view BUILD                        where the host sees the paths BUILD's
#                                          Wine sees: the root's directory, or ""
#   pc_env DIR DISPLAY                     sets pc_environment: the variables of a
#                                          Wine PC whose prefix and home lie in DIR

wine_place_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_place() {
  local place
  place=$(cat "$1/wine-place" 2>/dev/null) || { echo "wine-place: $1 is not a configured build tree" >&2; return 2; }
  echo "$place"
}

# Makes the build tree and its source tree visible inside the root (the same
# paths as outside, so paths compiled into the tests and given to Wine hold).
wine_bind() {
  local build=$1 source
  source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
  "$wine_place_scripts/root32.sh" bind "$source" && "$wine_place_scripts/root32.sh" bind "$build"
}

wine_in() {
  local build=$1 place env=()
  shift
  place=$(wine_place "$build") || return 2
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do env+=("$1"); shift; done
  shift
  if [ "$place" = root ]; then
    wine_bind "$build" || return 2
    "$wine_place_scripts/root32.sh" exec "${env[@]}" "$@"
  else
    env -i PATH="$PATH" LANG=C.UTF-8 "${env[@]}" "$@"
  fi
}

# Removes a run directory of the test bed: first every drive a test mounted
# in it (seen from the host or from the root), which a run cut short leaves.
remove_run() {
  awk -v r="$1/" 'index($2, r) { print $2 }' /proc/mounts | sort -r | while read -r m; do umount -l "$m" 2>/dev/null; done
  rm -rf --one-file-system "$1"
}

wine_view() {
  if [ "$(wine_place "$1")" = root ]; then "$wine_place_scripts/root32.sh" root; fi
}

# The environment of a Wine PC (DIR/prefix, DIR/home) on DISPLAY, plus the
# variables a caller hands to the program (TELMORA_*, GTEST_*).
pc_env() {
  pc_environment=(WINEPREFIX="$1/prefix" HOME="$1/home" WINEDEBUG="${WINEDEBUG:--all}"
                  WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml=" DISPLAY="$2")
  local assignment
  while IFS= read -r assignment; do pc_environment+=("$assignment"); done < <(env | grep -E "^(TELMORA|GTEST)_" || true)
}

wine_version() {
  wine_in "$1" -- wine --version 2>/dev/null | sed 's/^wine-//; s/ .*//'
}
