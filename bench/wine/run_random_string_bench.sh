#!/usr/bin/env bash
# run_random_string_bench.sh [64|32]: times GetRndString(4194304) against NoNull
# and VBScript's s & "" on a text of the same length, in one Wine cscript
# process (bench/wine/random_string_bench.vbs), using the DLL in build/mingw64
# (or build/mingw32 with 32; build it first), or the DLL that TARN_BENCH_DLL
# names, for comparing two builds on the same machine. Prints figures; not
# part of the test suite.
#
# It uses a Wine prefix of its own (build/wineprefix-bench unless
# TARN_WINEPREFIX says otherwise), so that stopping its wineserver at the end
# cannot cut short a test run going on in the tests' prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:-64}
dll="${TARN_BENCH_DLL:-$root/build/mingw$bits/TarnLib.dll}"
if [ ! -f "$dll" ]; then
  echo "run_random_string_bench: build $dll first (cmake --preset mingw$bits && cmake --build --preset mingw$bits)" >&2
  exit 1
fi
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
. "$root/tests/wine/wine_env.sh"
wine_bits "$bits" || { echo "run_random_string_bench: no 32-bit Wine here: $TARN_WINE32_WHY" >&2; exit 1; }
trap wine_stop EXIT
wine_start || { echo "run_random_string_bench: Wine did not start" >&2; exit 1; }
"$root/tests/wine/register_dll.sh" "$dll" || { echo "run_random_string_bench: registration failed" >&2; exit 1; }
echo "$bits-bit: $(basename "$dll")"
output=$(wine_run 600 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/random_string_bench.vbs")" 2>&1 |
  tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
# cscript exits with 0 even when the script stops on an error; the last line
# tells a complete run.
if ! printf '%s\n' "$output" | tail -n 1 | grep -q '^All results as expected'; then
  echo "run_random_string_bench: the script did not finish cleanly" >&2
  exit 1
fi
