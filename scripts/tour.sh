#!/usr/bin/env bash
# The main job: builds TarnLib.dll for 64-bit and 32-bit Windows (the DLLs
# alone: the tour needs no test program), registers the 64-bit one in a private
# Wine prefix (build/wineprefix) and runs the tour, a VBScript that calls every
# member, with 64-bit cscript; then the 32-bit DLL with 32-bit cscript (the
# client of VB6 and 32-bit Office), through scripts/x86-run.sh: here where this
# host runs 32-bit Wine, in the emulated x86 guest otherwise (built the first
# time, a few minutes). The time of each step is printed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
times=()
step() {
  local name=$1 started
  shift
  started=$(date +%s)
  "$@"
  times+=("$(printf '%5d s  %s' $(($(date +%s) - started)) "$name")")
}

step "install prerequisites" "$root/scripts/install_prerequisites.sh"
build_dlls() {
  local preset
  for preset in mingw64 mingw32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)" --target TarnLib
  done
}
step "build both DLLs" build_dlls

. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT

tour64() {
  local output
  wine_start
  "$root/tests/wine/register_dll.sh" "$root/build/mingw64/TarnLib.dll"
  output=$(wine_run 300 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/tour/tour.vbs")" 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  wine_check_host "$output"
}
wine_bits 64
echo "== Tour with 64-bit cscript (${TARN_SYSTEM}cscript.exe, build/mingw64/TarnLib.dll, $TARN_WINE64_LOADER)"
step "tour, 64-bit" tour64
wine_stop

if wine_bits 32; then
  echo
  echo "== Tour with 32-bit cscript (build/mingw32/TarnLib.dll, $(wine32_description))"
else
  echo
  echo "== Tour with 32-bit cscript (build/mingw32/TarnLib.dll) in the emulated x86 guest ($TARN_WINE32_WHY)"
  . "$root/tests/x86_guest/guest_env.sh"
  step "x86 guest: build (once; kept in build/x86-guest)" "$root/tests/x86_guest/build_guest.sh"
fi
tour32() {
  local output
  output=$("$root/scripts/x86-run.sh" --register "$root/build/mingw32/TarnLib.dll" -- \
    cscript.exe //nologo 'tour\tour.vbs' 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  TARN_BITS_RUN=32 wine_check_host "$output"
}
step "tour, 32-bit" tour32

echo
echo "== time of each step"
printf '%s\n' "${times[@]}"
