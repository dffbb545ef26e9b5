# Sourced by the Wine benchmark runners (run_*.sh): the set-up they share.
#
# bench_start BITS [PROGRAM...]: checks that build/mingwBITS holds TarnLib.dll
# and the named programs, selects Wine for BITS, starts the benchmarks' own
# Wine prefix (build/wineprefix-bench unless TARN_WINEPREFIX says otherwise, so
# that stopping its wineserver at the end cannot cut short a test run going on
# in the tests' prefix), stops it when the runner exits, and registers the DLL.
# Sets root (the source tree), bits, build (build/mingwBITS) and dll. Exits the
# runner with 1 and a message when any step fails.
#
# bench_finished OUTPUT PATTERN: whether the last line of a script's OUTPUT
# matches PATTERN. cscript exits with 0 even when the script stops on an error;
# the last line tells a complete run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bench_name=$(basename "$0" .sh)
export TARN_WINEPREFIX="${TARN_WINEPREFIX:-$root/build/wineprefix-bench}"
. "$root/tests/wine/wine_env.sh"

bench_start() {
  bits=$1
  shift
  build="$root/build/mingw$bits"
  dll="$build/TarnLib.dll"
  local file missing=()
  for file in "$dll" "${@/#/$build/}"; do
    [ -f "$file" ] || missing+=("$file")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "$bench_name: build ${missing[*]} first (cmake --preset mingw$bits && cmake --build --preset mingw$bits)" >&2
    exit 1
  fi
  # Exported: register_dll.sh reads the bitness from the environment.
  export TARN_WINE_BITS=$bits
  wine_bits "$bits" || { echo "$bench_name: no $bits-bit Wine here: $TARN_WINE32_WHY" >&2; exit 1; }
  trap wine_stop EXIT
  wine_start || { echo "$bench_name: Wine did not start" >&2; exit 1; }
  "$root/tests/wine/register_dll.sh" "$dll" || { echo "$bench_name: registration failed" >&2; exit 1; }
}

bench_finished() {
  if ! printf '%s\n' "$1" | tail -n 1 | grep -q "$2"; then
    echo "$bench_name: the script did not finish cleanly" >&2
    return 1
  fi
}

