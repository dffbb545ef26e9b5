#!/usr/bin/env bash
# time_zone_test.sh CLIENT DLL: SecFrom1970 counts the local wall clock, so
# under a zone east of Greenwich it is ahead of the UTC count and under one
# west of it behind. Wine takes the zone from TZ when its wineserver starts:
# each zone gets a wineserver of its own, in a prefix of its own, so that the
# other Wine tests keep theirs.
set -u
export TARN_WINEPREFIX="${TARN_WINEPREFIX_TZ:-${TARN_WINEPREFIXES:-$(cd "$(dirname "$0")/../.." && pwd)/build}/wineprefix-tz}"
. "$(dirname "$0")/wine_env.sh"
client=$1
dll=$2
failed=0
# Zones without daylight saving, so the offset is the same all year.
for zone in "Asia/Kolkata 19800" "Pacific/Honolulu -36000" "UTC 0"; do
  set -- $zone
  wine_stop
  export TZ=$1 TARN_UTC_OFFSET=$2
  if ! wine_start; then
    echo "cannot start Wine in $WINEPREFIX"
    failed=1
    break
  fi
  echo "== TZ=$TZ, expected offset $TARN_UTC_OFFSET s"
  output=$("$(dirname "$0")/run_wine_program.sh" "$client" --dll="$dll" --bits="$TARN_BITS_RUN" --gtest_filter='TimeUtility.SecFrom1970*' 2>&1)
  status=$?
  printf '%s\n' "$output" | tr -d '\r'
  # The offset test skips itself when TARN_UTC_OFFSET does not reach it.
  if [ $status != 0 ] || ! printf '%s\n' "$output" | grep -q 'OK \] TimeUtility.SecFrom1970AddsTheLocalOffsetToTheUtcCount'; then
    echo "TZ=$TZ: the offset test failed or did not run"
    failed=1
  fi
done
wine_stop
exit $failed
