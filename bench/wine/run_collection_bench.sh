#!/usr/bin/env bash
# run_collection_bench.sh [64|32]: times ExCollection against Scripting.Dictionary in one
# Wine cscript process, then measures with a client program the private bytes
# of 1,000,000 entries, beside Scripting.Dictionary's for the same entries in
# the same process, and where the time of one c(key) read goes. Uses the
# build in build/mingw64 (or build/mingw32 with 32; build TarnLib and
# tarn_bench_collection_client first). Prints figures; not part of the test suite.
#
# It uses a Wine prefix of its own (build/wineprefix-bench unless
# TARN_WINEPREFIX says otherwise), so that stopping its wineserver at the end
# cannot cut short a test run going on in the tests' prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:-64}
dll="$root/build/mingw$bits/TarnLib.dll"
client="$root/build/mingw$bits/tarn_bench_collection_client.exe"
if [ ! -f "$dll" ] || [ ! -f "$client" ]; then
  echo "run_collection_bench: build $dll and $client first (cmake --preset mingw$bits && cmake --build --preset mingw$bits)" >&2
  exit 1
fi
export TARN_WINE_BITS=$bits
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT
wine_start || { echo "run_collection_bench: Wine did not start" >&2; exit 1; }
"$root/tests/wine/register_dll.sh" "$dll" || { echo "run_collection_bench: registration failed" >&2; exit 1; }
output=$(wine_run 600 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/collection_bench.vbs")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
# cscript exits with 0 even when the script stops on an error; the last line
# tells a complete run.
if ! printf '%s\n' "$output" | tail -n 1 | grep -q '^All counts and reads as expected'; then
  echo "run_collection_bench: the script did not finish cleanly" >&2
  exit 1
fi
wine_run 600 "$client" "--dll=$(wine_path "$dll")" | tr -d '\r'
