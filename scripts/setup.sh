#!/usr/bin/env bash
# Installs what building and testing Orrisbane needs on Debian 12, as root.
# Safe to run again: every step checks first.
set -euo pipefail

need_packages=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=0
fi
# g++ and libgtest-dev are for the native build of scripts/test.sh; the
# cross build compiles googletest from its sources.
for p in cmake ninja-build g++ g++-mingw-w64-i686 wine wine32:i386 wine64 googletest libgtest-dev \
         libbenchmark-dev libmimalloc-dev zip unzip binutils-mingw-w64-i686; do
  have "$p" || need_packages+=("$p")
done

# Some virtual machines cannot run 32-bit Linux programs, and the 32-bit
# half of Wine is one. There the kernel hands them to QEMU's user-mode
# emulator instead; Wine needs QEMU 8 or later, which Debian 12 has in
# its backports suite.
runs_i386() { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
needs_emulator=0
if [ -x /lib/ld-linux.so.2 ] && ! runs_i386; then needs_emulator=1; fi
if [ ! -x /lib/ld-linux.so.2 ]; then
  # Not installed yet: probe with any 32-bit binary once Wine is in.
  needs_emulator=2
fi

if [ ${#need_packages[@]} -gt 0 ] || [ "${apt_updated:-1}" = 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need_packages[@]}" >/dev/null
fi
if [ "$needs_emulator" = 2 ] && ! runs_i386; then needs_emulator=1; fi

if [ "$needs_emulator" = 1 ]; then
  qemu_major=$( (qemu-i386 --version 2>/dev/null || echo 'version 0') | sed -n 's/.*version \([0-9]*\).*/\1/p' | head -1)
  if [ "${qemu_major:-0}" -lt 8 ]; then
    if [ ! -f /etc/apt/sources.list.d/orrisbane-backports.sources ]; then
      cat > /etc/apt/sources.list.d/orrisbane-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -t bookworm-backports qemu-user-static >/dev/null
  fi
  mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if ! runs_i386; then
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 > /proc/sys/fs/binfmt_misc/qemu-i386
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      > /proc/sys/fs/binfmt_misc/register
  fi
  runs_i386 || { echo "setup: 32-bit programs still cannot run here" >&2; exit 1; }
fi

# A 32-bit Wine prefix of our own, created once.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-orrisbane}" WINEARCH=win32 WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating the Wine prefix $WINEPREFIX (a few minutes the first time)"
  wine wineboot --init >/dev/null 2>&1 </dev/null || true
  wineserver -w || true
fi
