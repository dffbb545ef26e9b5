#!/usr/bin/env bash
# Every test: the portable core natively (plain, with address and
# undefined-behaviour sanitizers, and its fuzzers under libFuzzer for a
# bounded time), then both DLLs: static checks, and under Wine registration,
# the C++ COM client, the VBScript tests and the bad-input fuzzer, each DLL
# with programs of its own bitness. TARN_BITS=64 or TARN_BITS=32 tests only that
# DLL (the native tests always run); with both, the release is made and tested
# too (scripts/package.sh, the archive, the installer, a second build).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install_prerequisites.sh" || exit 1
. "$root/tests/wine/wine_env.sh"

presets=(native native-sanitize native-fuzz)
case "${TARN_BITS:-both}" in
  64) presets+=(mingw64) ;;
  32) presets+=(mingw32) ;;
  both) presets+=(mingw64 mingw32) ;;
  *) echo "TARN_BITS must be 64 or 32 (or unset for both)" >&2; exit 2 ;;
esac

describe() {
  case "$1" in
    native) echo "portable core, native" ;;
    native-sanitize) echo "portable core, native, address and undefined-behaviour sanitizers" ;;
    native-fuzz) echo "portable core under libFuzzer (clang), address and undefined-behaviour sanitizers" ;;
    mingw64) echo "64-bit DLL build/mingw64/TarnLib.dll; Wine programs run by $TARN_WINE64_LOADER" ;;
    mingw32)
      if wine32_detect; then
        echo "32-bit DLL build/mingw32/TarnLib.dll; Wine programs run by $(wine32_description)"
      else
        echo "32-bit DLL build/mingw32/TarnLib.dll; its Wine tests will be skipped"
      fi
      ;;
  esac
}

total_passed=0
total_failed=0
total_skipped=0
skip_notes=()
status=0
for preset in "${presets[@]}"; do
  echo "== $preset: $(describe "$preset")"
  if ! "$root/scripts/build.sh" "$preset"; then
    echo "build of $preset failed"
    status=1
    total_failed=$((total_failed + 1))
    continue
  fi
  log=$(mktemp)
  ctest --preset "$preset" -j "$(nproc)" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" = 0 ] || status=1
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$summary" ]; then
    failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+)/\1/')
    all=$(echo "$summary" | sed -E 's/.* out of ([0-9]+)/\1/')
    skipped=$(grep -c '\*\*\*Skipped\|Not Run (Disabled)\| Skipped ' "$log" || true)
    total_passed=$((total_passed + all - failed - skipped))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))
    if [ "$skipped" -gt 0 ]; then
      if [ "$preset" = mingw32 ] && ! wine32_detect; then
        skip_notes+=("$skipped tests of the 32-bit DLL (mingw32) skipped: $TARN_WINE32_WHY")
      else
        skip_notes+=("$skipped tests of $preset skipped (see the log above)")
      fi
    fi
  else
    status=1
  fi
  rm -f "$log"
done
# The release, when both DLLs are tested: scripts/package.sh, the archive's
# contents, the installer under Wine, and two builds compared byte for byte.
if [ "${TARN_BITS:-both}" = both ]; then
  echo "== release: scripts/package.sh, the archive, the installer under Wine, two builds compared"
  release_test() {
    local name=$1 rc
    shift
    echo "-- $name"
    "$@"
    rc=$?
    case $rc in
      0) echo "-- $name: passed"; total_passed=$((total_passed + 1)) ;;
      77) echo "-- $name: skipped"; total_skipped=$((total_skipped + 1)); skip_notes+=("release test $name skipped (see the log above)") ;;
      *) echo "-- $name: FAILED"; total_failed=$((total_failed + 1)); status=1 ;;
    esac
  }

  release_test tools python3 "$root/tests/release/packaging_tools_test.py"
  release_test package "$root/scripts/package.sh"
  release_version=$(python3 "$root/packaging/version_of.py" "$root/build/mingw64/TarnLib.dll" 2>/dev/null)
  release_msi=$(ls "$root/dist/TarnLib-$release_version.msi" 2>/dev/null ||
    ls "$root/dist/TarnLib-$release_version-x64only.msi" 2>/dev/null)
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) release_test archive \
    python3 "$root/tests/release/archive_test.py" "$root/dist/TarnLib-$release_version.zip" "$root"
  release_test installer "$root/tests/release/msi_test.sh" "${release_msi:-no installer was made}" \
    "$root/build/mingw64/TarnLib.dll" "$root/build/mingw32/TarnLib.dll"
  release_test upgrade "$root/tests/release/upgrade_test.sh"
  release_test signing "$root/tests/release/signing_test.sh"
  release_test reproducible "$root/tests/release/reproducible_build_test.sh"
fi

[ "${TARN_BITS:-both}" = both ] || skip_notes+=("only the ${TARN_BITS}-bit DLL tested (TARN_BITS=${TARN_BITS}); release not tested")
for note in "${skip_notes[@]}"; do echo "$note"; done
if [ "$total_skipped" -gt 0 ]; then
  echo "${total_passed} passed, ${total_failed} failed, ${total_skipped} skipped"
else
  echo "${total_passed} passed, ${total_failed} failed"
fi
exit $status
