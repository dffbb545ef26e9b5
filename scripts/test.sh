#!/usr/bin/env bash
# Every test: the portable core natively (plain and with address and
# undefined-behaviour sanitizers), then both DLLs: static checks, and under
# Wine registration, the C++ COM client and the VBScript tests.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install_prerequisites.sh" || exit 1

total_passed=0
total_failed=0
status=0
for preset in native native-sanitize mingw64 mingw32; do
  echo "== $preset"
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
  else
    status=1
  fi
  rm -f "$log"
done
echo "${total_passed} passed, ${total_failed} failed"
exit $status
