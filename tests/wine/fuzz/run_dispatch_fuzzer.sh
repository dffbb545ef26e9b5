#!/usr/bin/env bash
# run_dispatch_fuzzer.sh [64|32] [FUZZER ARGS...]: a fuzzing campaign of any
# length against build/mingw64 (or build/mingw32), for example
#   tests/wine/fuzz/run_dispatch_fuzzer.sh 64 --seed=7 --calls=1000000
# Builds nothing: build the preset first. It uses a Wine prefix, wineserver
# and virtual display of its own (build/wineprefix-fuzz), and keeps name
# lookups on this machine as the network tests do (needs root). A 32-bit
# campaign runs in the emulated x86 guest where this host has no 32-bit Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
bits=${1:-64}
shift || true
dll="$root/build/mingw$bits/TarnLib.dll"
fuzzer="$root/build/mingw$bits/tarnlib_dispatch_fuzzer.exe"
if [ ! -f "$dll" ] || [ ! -f "$fuzzer" ]; then
  echo "run_dispatch_fuzzer: build $dll and $fuzzer first (scripts/build.sh mingw$bits)" >&2
  exit 1
fi
export TARN_WINE_BITS=$bits
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-${TARN_WINEPREFIXES:-$root/build}/wineprefix-fuzz}"
. "$root/tests/wine/wine_env.sh"
if [ "$bits" = 32 ] && ! wine32_detect; then
  # No 32-bit Wine here: the whole campaign runs in the emulated x86 guest.
  unset TARN_WINEPREFIX
  exec "$root/scripts/x86-run.sh" --shell -- "$0" 32 "$@"
fi
display_pid=
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  display_pid=$!
  for _ in $(seq 1 100); do [ -s "$number" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '\n' <"$number")"
  rm -f "$number"
fi
finish() {
  wine_stop
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null
}
trap finish EXIT
wine_start || { echo "run_dispatch_fuzzer: Wine did not start" >&2; exit 1; }
limit=${TARN_FUZZ_SECONDS:-86400}
"$root/tests/wine/run_without_dns.sh" timeout --kill-after=10 "$limit" "$TARN_WINE_LOADER" "$(wine_path "$fuzzer")" \
  "--dll=$(wine_path "$dll")" "--bits=$bits" "$@"
