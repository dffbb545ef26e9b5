#!/usr/bin/env bash
# without_32bit_kernel.sh [--no-wow64] COMMAND...: runs COMMAND as on a
# machine whose kernel cannot start 32-bit Linux programs: in a private mount
# namespace, Wine's 32-bit loader is replaced by a file the kernel refuses with
# "Exec format error". --no-wow64 also hides Wine's 32-bit system DLLs, so that
# WoW64 mode cannot work either. Needs root (unshare); changes nothing outside
# the namespace. Exits with 77 where the namespace cannot be made.
set -u
hide_dlls=0
if [ "${1:-}" = --no-wow64 ]; then
  hide_dlls=1
  shift
fi
if [ "${1:-}" = --inside ]; then
  shift
  . "$(dirname "$0")/wine_env.sh"
  decoy=$(mktemp)
  empty=$(mktemp -d)
  trap 'rm -rf "$decoy" "$empty"' EXIT
  # An ELF header the kernel cannot load: exec fails with ENOEXEC.
  printf '\177ELF\001\001\001\000' > "$decoy"
  chmod +x "$decoy"
  mount --bind "$decoy" "$TARN_WINE32_LOADER" || exit 77
  [ "$hide_dlls" = 1 ] && { mount --bind "$empty" "$TARN_WINE32_DLLS/i386-windows" || exit 77; }
  "$@"
  exit $?
fi
if [ "$(id -u)" != 0 ] || ! unshare --mount --propagation private true 2>/dev/null; then
  echo "skipped: cannot make a private mount namespace (needs root and unshare)"
  exit 77
fi
flag=()
[ "$hide_dlls" = 1 ] && flag=(--no-wow64)
exec unshare --mount --propagation private "$0" "${flag[@]}" --inside "$@"
