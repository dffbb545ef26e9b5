#!/usr/bin/env bash
# run_soak_bench.sh [64|32] [ROUNDS_PER_BLOCK [BLOCKS]]: private bytes and
# handles after each block of create/call/release rounds for every class and
# for raised errors, with the slope after warm-up; then the DLL loaded and
# unloaded round after round, and the speed of a long GetRndString. Uses the
# build in build/mingw64 (or build/mingw32 with 32; build TarnLib and
# tarnlib_soak_bench first). Prints figures; not part of the test suite.
# Runs in a Wine prefix of its own (build/wineprefix-bench unless
# TARN_WINEPREFIX says otherwise).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:-64}
shift || true
dll="$root/build/mingw$bits/TarnLib.dll"
bench="$root/build/mingw$bits/tarnlib_soak_bench.exe"
if [ ! -f "$dll" ] || [ ! -f "$bench" ]; then
  echo "run_soak_bench: build $dll and $bench first (cmake --build --preset mingw$bits)" >&2
  exit 1
fi
export TARN_WINE_BITS=$bits
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
. "$root/tests/wine/wine_env.sh"
trap wine_stop EXIT
wine_start || { echo "run_soak_bench: Wine did not start" >&2; exit 1; }
"$root/tests/wine/register_dll.sh" "$dll" || { echo "run_soak_bench: registration failed" >&2; exit 1; }
wine_run 3000 "$bench" "$@" | tr -d '\r'
