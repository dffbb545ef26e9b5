#!/usr/bin/env bash
# The main job: builds TarnLib.dll for 64-bit and 32-bit Windows, registers
# both in a private Wine prefix (build/wineprefix) and runs the tour, a
# VBScript that calls every member available so far, once with 64-bit cscript
# and once with 32-bit cscript (the client of VB6 and 32-bit Office).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_prerequisites.sh"
"$root/scripts/build.sh" mingw64 mingw32

. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT
wine_start

# tour BITS: registers the DLL of that bitness and runs the tour with the
# cscript of that bitness, checking that the script host is what it claims.
tour() {
  local dll output
  dll="$root/build/mingw$1/TarnLib.dll"
  TARN_WINE_BITS=$1 "$root/tests/wine/register_dll.sh" "$dll"
  output=$(wine_run 300 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/tour/tour.vbs")" 2>&1 | tr -d '\r')
  printf '%s\n' "$output"
  wine_check_host "$output"
}

wine_bits 64
echo "== Tour with 64-bit cscript (${TARN_SYSTEM}cscript.exe, build/mingw64/TarnLib.dll, $TARN_WINE64_LOADER)"
tour 64
if wine_bits 32; then
  echo
  echo "== Tour with 32-bit cscript (${TARN_SYSTEM}cscript.exe, build/mingw32/TarnLib.dll, $(wine32_description))"
  tour 32
else
  echo "== No 32-bit tour (build/mingw32/TarnLib.dll is built): $TARN_WINE32_WHY"
fi
