#!/usr/bin/env bash
# Installs what building and testing TarnLib needs on a fresh Debian 12
# machine, as root: the native toolchain and libraries for the portable core,
# mingw-w64 for the DLLs, widl, 64-bit Wine to run the 64-bit DLL, Xvfb for the
# windows of the forms tests, wixl and msitools for the installer, and
# osslsigncode for signing.
#
# 32-bit Wine (wine32:i386) is tried last and on its own: where it cannot be
# had (the host runs no 32-bit code, or the mirror's i386 index is broken),
# everything else is still installed, one line says why, and the 32-bit runs
# go to the emulated guest of scripts/x86-run.sh, which installs its own
# packages when it is first built. Does nothing when everything is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake python3
  clang-14 libclang-rt-14-dev
  libgtest-dev googletest libicu-dev libsqlite3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
  wine wine64 libwine-dev
  xvfb xauth
  wixl msitools osslsigncode
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done

# Whether this kernel starts 32-bit x86 programs: a 32-bit ELF that only
# calls exit(0), written out byte by byte.
host_runs_32bit() {
  local probe rc
  probe=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
  printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
  printf '\000\200\004\010\134\000\000\000\134\000\000\000\005\000\000\000' >>"$probe"
  printf '\000\020\000\000\061\333\061\300\100\315\200\000' >>"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -f "$probe"
  return $rc
}

want32=0
if ! installed wine32:i386; then
  if [ "${TARN_WINE32:-auto}" = off ]; then
    echo "install_prerequisites: 32-bit Wine not wanted (TARN_WINE32=off); 32-bit runs use the emulated guest (scripts/x86-run.sh)"
  elif ! host_runs_32bit; then
    echo "install_prerequisites: wine32:i386 not installed: this kernel runs no 32-bit programs; 32-bit runs use the emulated guest (scripts/x86-run.sh)"
  else
    want32=1
  fi
fi
[ ${#missing[@]} -eq 0 ] && [ $want32 = 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "install_prerequisites: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt_opts=(-y -q -o DPkg::Lock::Timeout=600 --no-install-recommends)
# A mirror in the middle of a sync can fail one index now and then: try again,
# and go on with what was fetched; the installs below say what they miss.
update() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update -q -o DPkg::Lock::Timeout=600 >/dev/null 2>&1 && return 0
    echo "install_prerequisites: apt-get update failed (attempt $attempt)" >&2
    sleep $((attempt * 3))
  done
  return 0
}

if [ $want32 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
update
if [ ${#missing[@]} -gt 0 ]; then
  apt-get install "${apt_opts[@]}" "${missing[@]}"
fi

if [ $want32 = 1 ]; then
  log=$(mktemp)
  if apt-get install "${apt_opts[@]}" wine32:i386 >"$log" 2>&1; then
    echo "install_prerequisites: wine32:i386 installed: 32-bit runs use Wine's 32-bit loader"
  else
    reason=$(grep -E '^E: ' "$log" | tail -n 1)
    grep -q 'unmet dependencies\|not installable' "$log" && reason="the package index offers not all of its i386 dependencies"
    echo "install_prerequisites: wine32:i386 could not be installed: ${reason:-apt-get failed}; 32-bit runs use the emulated guest (scripts/x86-run.sh)"
  fi
  rm -f "$log"
fi
