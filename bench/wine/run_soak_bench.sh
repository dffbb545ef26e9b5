#!/usr/bin/env bash
# run_soak_bench.sh [64|32] [ROUNDS_PER_BLOCK [BLOCKS]]: private bytes and
# handles after each block of create/call/release rounds for every class and
# for raised errors, with the slope after warm-up; then the DLL loaded and
# unloaded round after round, and the speed of a long GetRndString. Uses the
# build in build/mingw64 (or build/mingw32 with 32; build TarnLib and
# tarnlib_soak_bench first). Prints figures; not part of the test suite.
# Runs in the benchmarks' own Wine prefix (bench_env.sh).
set -uo pipefail
. "$(dirname "$0")/bench_env.sh"
bits=${1:-64}
shift || true
bench_start "$bits" tarnlib_soak_bench.exe
wine_run 3000 "$build/tarnlib_soak_bench.exe" "$@" | tr -d '\r'
