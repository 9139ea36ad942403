#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Idempotent and quick when
# everything is present already (one dpkg query, no apt-get call). wine32 comes only where
# the host runs 32-bit code; if its packages cannot be had, the run takes the 64-bit way.
set -euo pipefail
tools=$(cd "$(dirname "$0")" && pwd)
VELLORY_IA32_FORCED=${VELLORY_IA32:-}
. "$tools/ia32.sh"

packages=(
  make cmake g++ ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine
  xvfb xauth xdotool imagemagick x11-utils python3 procps
  nsis
)
# VELLORY_IA32 forces the answer here too: the forced way's packages, and no others.
kernel_ia32=${VELLORY_IA32_FORCED:-}
if [ -z "$kernel_ia32" ]; then kernel_ia32=0; vellory_kernel_runs_ia32 && kernel_ia32=1; fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
want32=0
[ "$kernel_ia32" = 1 ] && ! installed wine32:i386 && want32=1
[ ${#missing[@]} -eq 0 ] && [ $want32 = 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}$([ $want32 = 1 ] && echo ' wine32:i386'); run as root to install them" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ $want32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

# A mirror in the middle of a sync fails one index for a while: try again for about two minutes,
# then go on with what was fetched; the installs below say whether that was enough.
for attempt in 1 2 3 4 5 6; do
  if apt-get update -qq >/tmp/vellory-apt-update.log 2>&1; then break; fi
  [ $attempt = 6 ] && { echo "setup: apt-get update still fails ($(grep -m1 -E '^(E|W):' /tmp/vellory-apt-update.log | cut -c1-200)); going on with the package lists it has"; break; }
  sleep 20
done

if [ ${#missing[@]} -gt 0 ]; then
  if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >/tmp/vellory-apt.log 2>&1; then
    echo "setup: cannot install ${missing[*]}: $(grep -E '^E:' /tmp/vellory-apt.log | head -n 2 | tr '\n' ' ')" >&2
    echo "setup: the package mirror may be mid-sync: try again in a few minutes (whole output in /tmp/vellory-apt.log)" >&2
    exit 1
  fi
fi
if [ $want32 = 1 ] && ! apt-get install -y -qq --no-install-recommends wine32:i386 >/tmp/vellory-apt32.log 2>&1; then
  echo "setup: wine32:i386 cannot be installed now ($(grep -E '^E:' /tmp/vellory-apt32.log | head -n 1 | cut -c1-160)); the Windows tests take the 64-bit way, as on a host without 32-bit code"
fi
exit 0
