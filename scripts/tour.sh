#!/usr/bin/env bash
# The main job: builds TarnLib.dll for 64-bit and 32-bit Windows, registers it
# in a private Wine prefix (build/wineprefix) and runs the tour, a VBScript
# that calls every member available so far.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install_prerequisites.sh"
"$root/scripts/build.sh" mingw64 mingw32

. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT
wine_start
"$root/tests/wine/register_dll.sh" "$root/build/mingw64/TarnLib.dll"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  TARN_WINE_BITS=32 "$root/tests/wine/register_dll.sh" "$root/build/mingw32/TarnLib.dll"
else
  echo "(32-bit DLL built as build/mingw32/TarnLib.dll; this machine cannot run 32-bit code under Wine)"
fi
wine_run 300 cscript.exe //nologo "$(wine_path "$root/tour/tour.vbs")" | tr -d '\r'
