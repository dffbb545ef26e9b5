#!/usr/bin/env bash
# run_collection_bench.sh [64|32]: times ExCollection against Scripting.Dictionary in one
# Wine cscript process, then measures with a client program the private bytes
# of 1,000,000 entries, beside Scripting.Dictionary's for the same entries in
# the same process, and where the time of one c(key) read goes. Uses the
# build in build/mingw64 (or build/mingw32 with 32; build TarnLib and
# tarn_bench_collection_client first). Prints figures; not part of the test suite.
# Runs in the benchmarks' own Wine prefix (bench_env.sh).
set -uo pipefail
. "$(dirname "$0")/bench_env.sh"
bench_start "${1:-64}" tarn_bench_collection_client.exe
output=$(wine_run 600 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/collection_bench.vbs")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
bench_finished "$output" '^All counts and reads as expected' || exit 1
wine_run 600 "$build/tarn_bench_collection_client.exe" "--dll=$(wine_path "$dll")" | tr -d '\r'
