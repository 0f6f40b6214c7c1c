#!/usr/bin/env bash
# The 32-bit Debian root in which the shipped i686 STNIN32.EXE, its tests and
# the demo run under 32-bit Wine, and the one place that decides how this
# machine runs Windows programs.
#
#   root32.sh ensure     decide once per machine, set up what that needs
#                        (emulation, the root, its mounts), print the mode
#   root32.sh mode       the decision: root (the i686 build in the root) or
#                        x86_64 (the x86_64 build under the host's 64-bit Wine)
#   root32.sh describe [root|host]
#                        one phrase naming the build, the Wine it runs on and how
#   root32.sh bind DIR   make DIR visible at the same path inside the root
#   root32.sh exec [NAME=value...] CMD ARGS...
#                        run CMD inside the root with only that environment, in
#                        the caller's directory when the root shows it
#   root32.sh within CMD ARGS...
#                        run CMD as asked: with TELMORA_EMULATE=1 on a kernel
#                        that runs 32-bit programs, under emulation in a
#                        namespace of its own (below); otherwise as it is
#
# The decision, from `arch-test`: a kernel that runs 32-bit programs runs the
# root natively; one that does not gets qemu-user 10 (Debian's
# bookworm-backports, only unpacked) registered with binfmt_misc, and then
# runs the root under emulation. Only where neither works does the x86_64
# build run, and every caller says so. The decision and what it found are
# kept in $TELMORA_STATE/platform, for the whole machine; how the root's
# programs run is told by running one of them (describe), so a run in a
# namespace of its own, or under a qemu someone registered for the whole
# machine, is named as it is.
set -euo pipefail

state=${TELMORA_STATE:-/var/lib/telmora}
root=${TELMORA_ROOT32:-$state/i386-root}
qemu_dir=$state/qemu-user
platform=$state/platform
# What the root holds; a root whose stamp differs is made again.
root_recipe="bookworm i386 minbase; wine wine32 fonts-wine; recipe 1"
root_packages=(wine wine32 fonts-wine)
binfmt=/proc/sys/fs/binfmt_misc
qemu_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
qemu_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
qemu_min_major=10
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

say() { echo "root32: $*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The machine's configured Debian mirror for bookworm (never a fixed host).
debian_mirror() {
  local f uri
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    uri=$(awk -v RS= '/Suites:[^\n]*bookworm([ \t\n]|$)/ && !/debian-security/ {
            if (match($0, /URIs:[ \t]*[^ \t\n]+/)) { s = substr($0, RSTART, RLENGTH); sub(/URIs:[ \t]*/, "", s); print s; exit } }' "$f")
    [ -n "$uri" ] && { echo "$uri"; return 0; }
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    uri=$(awk '$1 == "deb" && $0 !~ /security/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' "$f")
    [ -n "$uri" ] && { echo "$uri"; return 0; }
  done
  say "no Debian mirror is configured in /etc/apt"
  return 1
}

host_package() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "$1" >/dev/null ||
    { as_root apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "$1" >/dev/null; }
}

qemu_major() { "$1" --version 2>/dev/null | sed -n 's/.*version \([0-9]*\)\..*/\1/p' | head -n 1; }
qemu_version() { "$1" --version 2>/dev/null | sed -n 's/.*version \([0-9.]*\).*/\1/p' | head -n 1; }

# qemu-user from bookworm-backports, through a private apt list so the
# machine's own apt settings stay as they are.
fetch_qemu() {
  local bin=$qemu_dir/usr/bin/qemu-i386
  if [ -x "$bin" ] && [ "$(qemu_major "$bin")" -ge "$qemu_min_major" ] 2>/dev/null; then
    echo "$bin"; return 0
  fi
  local apt=$state/apt-backports mirror
  mirror=$(debian_mirror) || return 1
  as_root mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/parts"
  # apt downloads as its own user where it can write.
  if id _apt >/dev/null 2>&1; then as_root chown -R _apt "$apt/archives" "$apt/lists/partial"; fi
  echo "deb $mirror bookworm-backports main" | as_root tee "$apt/sources.list" >/dev/null
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives" -q)
  say "fetching qemu-user from bookworm-backports"
  as_root apt-get "${opts[@]}" update >/dev/null || return 1
  ( cd "$apt/archives" && as_root apt-get "${opts[@]}" download qemu-user/bookworm-backports >/dev/null ) || return 1
  as_root rm -rf "$qemu_dir"
  as_root dpkg-deb -x "$(ls "$apt"/archives/qemu-user_*.deb | tail -n 1)" "$qemu_dir"
  [ -x "$bin" ] && [ "$(qemu_major "$bin")" -ge "$qemu_min_major" ] || { say "the fetched qemu-i386 is not version $qemu_min_major or later"; return 1; }
  echo "$bin"
}

# Registers qemu-i386 for i386 ELF files with flag F (the interpreter is opened
# now, so it also serves inside the root). An entry that already points at a
# good interpreter is kept; one pointing at an older qemu is replaced.
register_qemu() {
  local bin=$1 entry=$binfmt/qemu-i386 current
  [ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || { say "binfmt_misc cannot be mounted"; return 1; }
  if [ -e "$entry" ]; then
    current=$(sed -n 's/^interpreter //p' "$entry")
    if grep -q '^enabled' "$entry" && grep -q '^flags:.*F' "$entry" && [ -x "$current" ] &&
       [ "$(qemu_major "$current")" -ge "$qemu_min_major" ] 2>/dev/null; then
      return 0
    fi
    echo -1 | as_root tee "$entry" >/dev/null
  fi
  printf '%s' ":qemu-i386:M::$qemu_magic:$qemu_mask:$bin:F" | as_root tee "$binfmt/register" >/dev/null
}

# Whether the kernel itself runs 32-bit programs: asked in a user namespace
# whose own, empty binfmt_misc instance (Linux 6.7 and later) sends them to no
# emulator, else (older kernels, no user namespaces) as this machine runs them.
kernel_runs_i386() {
  unshare --user --map-root-user --mount sh -c "mount -t binfmt_misc binfmt_misc $binfmt 2>/dev/null; arch-test -n i386" \
    >/dev/null 2>&1 || arch-test -n i386 >/dev/null 2>&1
}

# How this machine runs 32-bit programs: "native", "emulated VERSION", or
# "none: REASON". A qemu registered for the whole machine on a kernel that
# needs none is left as it is (it may serve others); the runs then name it.
decide_32bit() {
  host_package arch-test
  if kernel_runs_i386; then
    arch-test -n i386 >/dev/null 2>&1 ||
      say "this kernel runs 32-bit programs, but a binfmt_misc entry of this machine sends them to an emulator; runs name it"
    echo native; return 0
  fi
  local bin
  if ! bin=$(fetch_qemu); then echo "none: this kernel cannot run 32-bit programs and qemu-user 10 could not be fetched"; return 0; fi
  if ! register_qemu "$bin"; then echo "none: this kernel cannot run 32-bit programs and binfmt_misc is not available"; return 0; fi
  if ! arch-test i386 >/dev/null 2>&1; then echo "none: this kernel cannot run 32-bit programs, not even under qemu-i386"; return 0; fi
  echo "emulated $(qemu_version "$(sed -n 's/^interpreter //p' "$binfmt/qemu-i386")")"
}

mounted() { mountpoint -q "$1" 2>/dev/null; }

# Unmounts everything below the root, deepest first.
unmount_all() {
  local m
  for m in $(awk -v r="$1" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/mounts | sort -r); do
    as_root umount -l "$m" 2>/dev/null || true
  done
}

make_root() {
  if [ -f "$root/.telmora-root" ] && [ "$(cat "$root/.telmora-root")" = "$root_recipe" ]; then return 0; fi
  host_package debootstrap
  local mirror new=$root.new
  mirror=$(debian_mirror)
  say "making the 32-bit root in $root (Debian bookworm i386 with Wine; a few minutes)"
  unmount_all "$new"; as_root rm -rf --one-file-system "$new"
  as_root debootstrap --arch=i386 --variant=minbase bookworm "$new" "$mirror" >"$state/debootstrap.log" 2>&1 ||
    { say "debootstrap failed, see $state/debootstrap.log"; tail -n 20 "$state/debootstrap.log" >&2; return 1; }
  as_root cp /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true
  as_root mount -t proc proc "$new/proc"
  if ! as_root chroot "$new" /usr/bin/env DEBIAN_FRONTEND=noninteractive bash -c \
      "apt-get update -q && apt-get install -y -q --no-install-recommends ${root_packages[*]} && apt-get clean" \
      >"$state/root-apt.log" 2>&1; then
    unmount_all "$new"; say "installing Wine in the root failed, see $state/root-apt.log"; tail -n 20 "$state/root-apt.log" >&2; return 1
  fi
  unmount_all "$new"
  echo "$root_recipe" | as_root tee "$new/.telmora-root" >/dev/null
  unmount_all "$root"; as_root rm -rf --one-file-system "$root"
  as_root mv "$new" "$root"
}

# proc, and the host's X sockets so an Xvfb started outside is the root's display.
mount_root() {
  mounted "$root/proc" || as_root mount -t proc proc "$root/proc"
  as_root mkdir -p /tmp/.X11-unix "$root/tmp/.X11-unix"
  as_root chmod 1777 /tmp/.X11-unix
  mounted "$root/tmp/.X11-unix" || as_root mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  mounted "$root/dev/shm" || { as_root mkdir -p "$root/dev/shm"; as_root mount -t tmpfs -o mode=1777 shm "$root/dev/shm"; }
}

write_platform() {
  as_root mkdir -p "$state"
  printf '%s\n' "$@" | as_root tee "$platform" >/dev/null
}

field() { sed -n "s/^$1=//p" "$platform" 2>/dev/null; }

ensure() {
  as_root mkdir -p "$state"
  local how
  how=$(decide_32bit)
  case "$how" in
    none:*)
      write_platform "mode=x86_64" "why=${how#none: }"
      ;;
    *)
      make_root
      mount_root
      write_platform "mode=root" "how=$how" "root=$root" \
        "wine=$(as_root chroot "$root" /usr/bin/wine --version 2>/dev/null | sed "s/^wine-//; s/ .*//")"
      ;;
  esac
  field mode
}

# How the root's programs run here: "native", "qemu-i386 VERSION", or ""
# when they do not run. With QEMU_VERSION set, qemu-user prints its version
# instead of running the program.
root_runs() {
  local out
  out=$(as_root env QEMU_VERSION=1 timeout 60 chroot "$root" /bin/true 2>/dev/null) || return 0
  if [ -z "$out" ]; then echo native; return 0; fi
  echo "$out" | sed -n '1s/^qemu-i386 version \([0-9.]*\).*/qemu-i386 \1/p'
}

# The phrase for a run in PLACE (root or host; by default where this machine
# runs the program): which build, under which Wine, and how.
describe() {
  local place=${1:-} mode how
  mode=$(field mode)
  [ -n "$place" ] || place=$([ "$mode" = root ] && echo root || echo host)
  if [ "$place" = root ]; then
    how=$([ -n "$(field how)" ] && root_runs)
    case "$how" in
      native) echo "shipped i686 build under 32-bit Wine $(field wine) (natively: this kernel runs 32-bit programs)" ;;
      qemu*) echo "shipped i686 build under 32-bit Wine $(field wine) (emulated by $how)" ;;
      *) echo "shipped i686 build, but the 32-bit root is not set up (scripts/root32.sh ensure)" ;;
    esac
    return 0
  fi
  local wine why
  wine=$(wine --version 2>/dev/null | sed 's/^wine-//; s/ .*//')
  if [ "$mode" = x86_64 ]; then why=$(field why); else why="asked for: this machine runs the shipped build in the 32-bit root"; fi
  echo "x86_64 build under 64-bit Wine ${wine:-(not installed)} ($why; the shipped i686 EXE was not run)"
}

# Whether the root shows the host's DIR at the same path.
visible() { [ "$(stat -L -c %d:%i "$1" 2>/dev/null)" = "$(stat -L -c %d:%i "$root$1" 2>/dev/null)" ]; }

# A mount already there but showing another directory is a leftover of a tree
# deleted and made again at the same path (a second clone into /tmp/ci): it
# goes first, or the new bind would fail on the deleted directory.
bind() {
  local dir
  dir=$(cd "$1" && pwd -P)
  visible "$dir" && return 0
  if mounted "$root$dir"; then as_root umount -l "$root$dir"; fi
  as_root mkdir -p "$root$dir"
  as_root mount --bind "$dir" "$root$dir"
}

run_in_root() {
  local dir=/
  if visible "$PWD"; then dir=$PWD; fi
  as_root chroot "$root" /usr/bin/env -i -C "$dir" PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    LANG=C.UTF-8 "$@"
}

# TELMORA_EMULATE=1 tries the emulated path where the kernel runs 32-bit
# programs: CMD runs in a user and mount namespace of its own whose
# binfmt_misc instance sends every i386 program to qemu-i386, while the rest
# of the machine keeps running them natively and the shared decision stays.
# The caller's directory is bound into the root first, out here: a mount
# inherited into the namespace cannot be replaced inside it.
within() {
  if [ "${TELMORA_EMULATE:-0}" != 1 ] || [ "$(field mode)" != root ] || [ "$(root_runs)" != native ]; then exec "$@"; fi
  local bin
  bin=$(fetch_qemu) || { say "TELMORA_EMULATE=1, but qemu-user $qemu_min_major could not be fetched"; exit 1; }
  bind "$PWD"
  exec unshare --user --map-root-user --mount -- "$self" emulating "$bin" "$@"
}

emulating() {
  local bin=$1
  shift
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    { say "TELMORA_EMULATE=1 needs a binfmt_misc instance per user namespace (Linux 6.7 and later)"; exit 1; }
  register_qemu "$bin"
  case "$(root_runs)" in qemu*) exec "$@" ;; esac
  say "qemu-i386 does not run the root's programs in the namespace"
  exit 1
}

case "${1:-}" in
  ensure) ensure ;;
  mode) field mode ;;
  describe) describe "${2:-}" ;;
  root) echo "$root" ;;
  bind) bind "${2:?usage: root32.sh bind DIR}" ;;
  exec) shift; run_in_root "$@" ;;
  within) shift; within "$@" ;;
  emulating) shift; emulating "$@" ;;
  *) echo "usage: root32.sh ensure|mode|describe [root|host]|root|bind DIR|exec CMD...|within CMD..." >&2; exit 2 ;;
esac
