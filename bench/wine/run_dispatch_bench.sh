#!/usr/bin/env bash
# run_dispatch_bench.sh [64|32]: times late-bound calls, searches and
# replacements through COM against Scripting.Dictionary and VBScript's own
# InStr and Replace in one Wine cscript process, using the DLL from
# build/mingw64 (or build/mingw32 with 32; build it first). Prints figures;
# not part of the test suite.
# Runs in the benchmarks' own Wine prefix (bench_env.sh).
set -uo pipefail
. "$(dirname "$0")/bench_env.sh"
bench_start "${1:-64}"
echo "TarnLib.dll, $bits-bit, Wine $("$TARN_WINE64_LOADER" --version 2>/dev/null)"
output=$(wine_run 900 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/dispatch_bench.vbs")" 2>&1 |
  tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
# The same call without a script engine, split into name lookup, dispatch and
# the member.
profile="$build/tarnlib_dispatch_profile.exe"
if [ -f "$profile" ]; then
  echo "Without a script engine:"
  wine_run 300 "$profile" 2>&1 | tr -d '\r'
fi
bench_finished "$output" '^All results equal' || exit 1
