#!/usr/bin/env bash
# run_replace_bench.sh: times ReplaceString and CSql through COM against
# VBScript's Replace in one Wine cscript process, using the 64-bit DLL from
# build/mingw64 and 64-bit cscript, or with TARN_WINE_BITS=32 the 32-bit DLL
# from build/mingw32 and 32-bit cscript (build it first). Prints figures; not
# part of the test suite.
#
# It uses a Wine prefix of its own (build/wineprefix-bench unless
# TARN_WINEPREFIX says otherwise), so that stopping its wineserver at the end
# cannot cut short a test run going on in the tests' prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${TARN_WINE_BITS:-64}
dll="$root/build/mingw$bits/TarnLib.dll"
if [ ! -f "$dll" ]; then
  echo "run_replace_bench: build $dll first (cmake --preset mingw$bits && cmake --build --preset mingw$bits)" >&2
  exit 1
fi
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
. "$root/tests/wine/wine_env.sh"
wine_bits "$bits" || { echo "run_replace_bench: no 32-bit Wine here: $TARN_WINE32_WHY" >&2; exit 1; }
trap wine_stop EXIT
wine_start || { echo "run_replace_bench: Wine did not start" >&2; exit 1; }
"$root/tests/wine/register_dll.sh" "$dll" || { echo "run_replace_bench: registration failed" >&2; exit 1; }
way=$TARN_WINE64_LOADER
[ "$bits" = 32 ] && way=$(wine32_description)
echo "$bits-bit: $dll, ${TARN_SYSTEM}cscript.exe through $way"
output=$(wine_run 600 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/replace_bench.vbs")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
# cscript exits with 0 even when the script stops on an error; the last line
# tells a complete run.
if ! printf '%s\n' "$output" | tail -n 1 | grep -q '^All results equal'; then
  echo "run_replace_bench: the script did not finish cleanly" >&2
  exit 1
fi
