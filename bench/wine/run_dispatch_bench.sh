#!/usr/bin/env bash
# run_dispatch_bench.sh [64|32]: times late-bound calls, searches and
# replacements through COM against Scripting.Dictionary and VBScript's own
# InStr and Replace in one Wine cscript process, using the DLL from
# build/mingw64 (or build/mingw32 with 32; build it first). Prints figures;
# not part of the test suite.
#
# It uses a Wine prefix of its own (build/wineprefix-bench unless
# TARN_WINEPREFIX says otherwise), so that stopping its wineserver at the end
# cannot cut short a test run going on in the tests' prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:-64}
dll="$root/build/mingw$bits/TarnLib.dll"
if [ ! -f "$dll" ]; then
  echo "run_dispatch_bench: build $dll first (cmake --preset mingw$bits && cmake --build --preset mingw$bits)" >&2
  exit 1
fi
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
export TARN_WINE_BITS=$bits
. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT
wine_start || { echo "run_dispatch_bench: Wine did not start" >&2; exit 1; }
"$root/tests/wine/register_dll.sh" "$dll" || { echo "run_dispatch_bench: registration failed" >&2; exit 1; }
echo "TarnLib.dll, $bits-bit, Wine $("$TARN_WINE64_LOADER" --version 2>/dev/null)"
output=$(wine_run 900 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/dispatch_bench.vbs")" 2>&1 |
  tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
# The same call without a script engine, split into name lookup, dispatch and
# the member.
profile="$root/build/mingw$bits/tarnlib_dispatch_profile.exe"
if [ -f "$profile" ]; then
  echo "Without a script engine:"
  wine_run 300 "$profile" 2>&1 | tr -d '\r'
fi
# cscript exits with 0 even when the script stops on an error; the last line
# tells a complete run.
if ! printf '%s\n' "$output" | tail -n 1 | grep -q '^All results equal'; then
  echo "run_dispatch_bench: the script did not finish cleanly" >&2
  exit 1
fi
