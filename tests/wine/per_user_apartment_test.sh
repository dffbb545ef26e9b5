#!/usr/bin/env bash
# per_user_apartment_test.sh TOOL DLL CLIENT: in a prefix where nothing of the
# library is registered, per-user registration (tarnlib-register) writes under
# HKEY_CURRENT_USER\Software\Classes exactly the keys and values regsvr32 writes
# for the machine (the neutral-locale type library entry that calls across
# apartments need included), and /u removes them all. The apartment client
# then runs against the per-user registration where the platform activates
# classes from the user's keys; Wine 8 reads HKEY_CLASSES_ROOT from the
# machine's keys only, so there it runs against regsvr32's registration.
set -u
. "$(dirname "$0")/deploy_env.sh"
tool=$1
dll=$2
client=$3
manifest=$(dirname "$dll")/TarnLib.manifest
bits=$TARN_BITS_RUN
deploy_start || exit 1
trap 'wine_stop' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}
if ! deploy_leftovers "$manifest"; then
  echo "the prefix $WINEPREFIX is not clean before the test"
  exit 1
fi
deploy_start || exit 1
wine_bits "$bits"
wine_run 120 "$(wine_path "$tool")" "$(wine_path "$dll")" || fail "per-user registration"
user_keys=$(deploy_snapshot "$manifest" user.reg)
machine_after_user=$(deploy_snapshot "$manifest" system.reg)
deploy_start || exit 1
wine_bits "$bits"
if wine_run 60 "$(wine_path "$client")" --bits="$bits" --gtest_filter='ByClassId*Own*' >/dev/null 2>&1; then
  deploy_client "$bits" "$client" || fail "apartment client after per-user registration"
else
  echo "note: classes registered for the user are not activated here (Wine); the client runs after regsvr32 below"
fi
wine_bits "$bits"
wine_run 120 "$(wine_path "$tool")" /u "$(wine_path "$dll")" || fail "per-user unregistration"
deploy_leftovers "$manifest" || fail "per-user unregistration left keys behind"
# Wine's RegisterTypeLib writes the interfaces into the other registry view of
# the machine too, past the redirection to the user's classes (removed again
# by /u, as checked above); any other machine key would be ours.
if [ -n "$machine_after_user" ]; then
  ours=$(printf '%s\n' "$machine_after_user" | grep -v '^Interface\\\\{')
  [ -z "$ours" ] || fail "per-user registration wrote machine keys: $ours"
  echo "note: Wine's RegisterTypeLib also wrote $(printf '%s\n' "$machine_after_user" | grep -c ' |$') interface keys for the machine"
fi

deploy_start || exit 1
wine_bits "$bits"
wine_run 120 "${TARN_SYSTEM}regsvr32.exe" /s "$(wine_path "$dll")" || fail "regsvr32"
machine_keys=$(deploy_snapshot "$manifest" system.reg)
deploy_start || exit 1
deploy_client "$bits" "$client" || fail "apartment client after regsvr32"
wine_bits "$bits"
wine_run 120 "${TARN_SYSTEM}regsvr32.exe" /s /u "$(wine_path "$dll")" || fail "regsvr32 /u"
deploy_leftovers "$manifest" || fail "regsvr32 /u left keys behind"

if [ -z "$user_keys" ] || [ "$user_keys" != "$machine_keys" ]; then
  fail "per-user registration and regsvr32 differ:"
  diff <(printf '%s\n' "$machine_keys") <(printf '%s\n' "$user_keys") | sed 's/^/  /' | head -40
fi
printf '%s\n' "$user_keys" | grep -q '\\b\.0\\\\0\\\\win[36][24] |' || fail "no neutral-locale type library entry for the user"
echo "$(printf '%s\n' "$user_keys" | grep -c ' |$') keys written for the user, the same as regsvr32 writes"
[ $failed = 0 ] && echo "per-user registration: the same keys as regsvr32, all removed by /u"
exit $failed
