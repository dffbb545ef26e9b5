#!/usr/bin/env bash
# per_user_apartment_test.sh TOOL DLL CLIENT: in a prefix where nothing of the
# library is registered, registers the DLL for the current user only
# (tarnlib-register), runs the apartment client against that registration,
# unregisters, and checks that nothing naming the library is left.
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
if ! deploy_leftovers "$manifest"; then
  echo "the prefix $WINEPREFIX is not clean before the test"
  exit 1
fi
deploy_start || exit 1
wine_bits "$bits"
wine_run 120 "$(wine_path "$tool")" "$(wine_path "$dll")" || { echo "per-user registration failed"; failed=1; }
if deploy_key_exists "HKLM\\Software\\Classes\\CLSID\\$(deploy_guids "$manifest" | head -n 1)" "$bits"; then
  echo "per-user registration wrote to the machine's classes"
  failed=1
fi
deploy_client "$bits" "$client" || { echo "apartment client failed after per-user registration"; failed=1; }
wine_bits "$bits"
wine_run 120 "$(wine_path "$tool")" /u "$(wine_path "$dll")" || { echo "per-user unregistration failed"; failed=1; }
deploy_leftovers "$manifest" || { echo "per-user unregistration left keys behind"; failed=1; }
[ $failed = 0 ] && echo "per-user registration: calls across apartments work, nothing left after /u"
exit $failed
