#!/usr/bin/env bash
# Installs what building and testing TarnLib needs on a fresh Debian 12
# machine, as root: the native toolchain and libraries for the portable core,
# mingw-w64 for the DLLs, widl, and Wine (64-bit, and 32-bit from i386
# multiarch) to run them, Xvfb for the windows of the forms tests, and wixl
# and msitools for the installer. The
# 32-bit part is needed even where the kernel cannot start 32-bit programs: its
# Windows DLLs let the 64-bit loader run the 32-bit DLL in WoW64 mode. Does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake python3
  clang-14 libclang-rt-14-dev
  libgtest-dev googletest libicu-dev libsqlite3-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
  wine wine64 libwine-dev
  xvfb
  wixl msitools
)
multiarch_packages=(wine32:i386)

missing=()
for p in "${packages[@]}" "${multiarch_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "install_prerequisites: missing packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# Other installs may hold the dpkg lock for a while: wait for it.
# A mirror in the middle of a sync can fail one index now and then: try again,
# and go on with what was fetched, since the install below says clearly what
# it could not find.
for attempt in 1 2 3; do
  apt-get update -q -o DPkg::Lock::Timeout=600 && break
  echo "install_prerequisites: apt-get update failed (attempt $attempt)" >&2
  sleep $((attempt * 5))
done
apt-get install -y -q -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
