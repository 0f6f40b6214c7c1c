#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# any is missing. Run as root or with sudo available.
#   install-deps.sh          the build, the display, the native check and the
#                            tools that make the 32-bit root (scripts/root32.sh)
#   install-deps.sh wine64   the host's 64-bit Wine with its fonts, for the
#                            x86_64 build (make test64, or a machine that runs
#                            no 32-bit programs)
#   install-deps.sh fleet    Ansible (with the ansible.windows collection), for
#                            make fleet
# Never `dpkg --add-architecture i386` here: 32-bit Wine lives in its own root.
set -euo pipefail

case "${1:-}" in
  "")
    packages=(
      cmake ninja-build g++ make
      g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
      gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
      googletest
      clang libclang-rt-14-dev  # the native sanitizer and fuzz check (scripts/native-check.sh)
      xvfb xauth imagemagick    # the display of the Wine test bed, pictures of it
      arch-test debootstrap     # the 32-bit root
      nsis                      # makensis: the comparison installer of make bench
    )
    ;;
  wine64) packages=(wine wine64 fonts-wine) ;;
  fleet) packages=(ansible) ;;
  *) echo "usage: install-deps.sh [wine64|fleet]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
