#!/usr/bin/env bash
# run_replace_bench.sh: times ReplaceString and CSql through COM against
# VBScript's Replace in one Wine cscript process, using the 64-bit DLL from
# build/mingw64 and 64-bit cscript, or with TARN_WINE_BITS=32 the 32-bit DLL
# from build/mingw32 and 32-bit cscript (build it first). Prints figures; not
# part of the test suite.
# Runs in the benchmarks' own Wine prefix (bench_env.sh).
set -uo pipefail
. "$(dirname "$0")/bench_env.sh"
bench_start "${TARN_WINE_BITS:-64}"
way=$TARN_WINE64_LOADER
[ "$bits" = 32 ] && way=$(wine32_description)
echo "$bits-bit: $dll, ${TARN_SYSTEM}cscript.exe through $way"
output=$(wine_run 600 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$root/bench/wine/replace_bench.vbs")" 2>&1 | tr -d '\r')
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
bench_finished "$output" '^All results equal' || exit 1
