#!/usr/bin/env bash
# side_by_side_test.sh BUILD64 BUILD32 SCRIPT: both DLLs registered with
# regsvr32 in one prefix, in either order; each unregistered while the other
# stays. After every step each registered DLL is used by a client of its own
# bitness (cscript running SCRIPT, and the apartment client), and the type
# library is registered for each bitness with that bitness's file. After both
# are unregistered nothing naming the library is left, in either registry view.
set -u
. "$(dirname "$0")/deploy_env.sh"
declare -A build=([64]=$1 [32]=$2)
script=$3
for bits in 64 32; do
  for file in TarnLib.dll TarnLib.manifest tarnlib_apartment_tests.exe; do
    if [ ! -f "${build[$bits]}/$file" ]; then
      echo "skipped: needs both builds; ${build[$bits]}/$file is missing (build the mingw${bits} preset first)"
      exit 77
    fi
  done
done
manifest=${build[64]}/TarnLib.manifest
libid=$(grep -m 1 -o 'tlbid="{[^}]*}"' "$manifest" | sed 's/tlbid="\(.*\)"/\1/')
clsid=$(grep -m 1 -o 'clsid="{[^}]*}"' "$manifest" | sed 's/clsid="\(.*\)"/\1/')
version_key="HKCR\\TypeLib\\$libid\\b.0"

deploy_start || exit 1
trap 'wine_stop' EXIT
if ! deploy_leftovers "$manifest"; then
  echo "the prefix $WINEPREFIX is not clean before the test"
  exit 1
fi
deploy_start || exit 1

failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

regsvr() {  # BITS [/u]
  local bits=$1
  shift
  wine_bits "$bits"
  wine_run 120 "${TARN_SYSTEM}regsvr32.exe" /s "$@" "$(wine_path "${build[$bits]}/TarnLib.dll")" ||
    fail "regsvr32 $* of the ${bits}-bit DLL"
}

# The registered bitness works from its own clients, and the type library's
# entries for it name its own file, for the library's locale and the neutral one.
expect_registered() {
  local bits=$1 path locale
  path=$(wine_path "${build[$bits]}/TarnLib.dll")
  for locale in 409 0; do
    local got
    got=$(deploy_value "$version_key\\$locale\\win$bits" 64)
    [ "${got,,}" = "${path,,}" ] || fail "type library entry $locale\\win$bits is [$got], expected [$path]"
  done
  deploy_key_exists "HKCR\\CLSID\\$clsid" "$bits" || fail "class key missing from the ${bits}-bit view"
  deploy_vbs "$bits" "$script" || fail "${bits}-bit cscript"
  deploy_client "$bits" "${build[$bits]}/tarnlib_apartment_tests.exe" || fail "${bits}-bit apartment client"
}

# An unregistered bitness leaves nothing of its own: no type library entry, no class key in its view.
expect_unregistered() {
  local bits=$1 locale
  for locale in 409 0; do
    deploy_key_exists "$version_key\\$locale\\win$bits" 64 && fail "type library entry $locale\\win$bits left"
  done
  deploy_key_exists "HKCR\\CLSID\\$clsid" "$bits" && fail "class key left in the ${bits}-bit view"
  return 0
}

for order in "64 32" "32 64"; do
  set -- $order
  first=$1
  second=$2
  echo "== register $first-bit, then $second-bit"
  regsvr "$first"
  expect_registered "$first"
  regsvr "$second"
  expect_registered "$first"
  expect_registered "$second"
  # The one registered last goes first: the 32-bit DLL in one round, the 64-bit in the other.
  gone=$second
  kept=$first
  echo "== unregister $gone-bit, $kept-bit stays"
  regsvr "$gone" /u
  expect_unregistered "$gone"
  expect_registered "$kept"
  echo "== unregister $kept-bit"
  regsvr "$kept" /u
  expect_unregistered "$kept"
  deploy_leftovers "$manifest" || fail "keys left after both DLLs were unregistered"
  deploy_start || exit 1
done
[ $failed = 0 ] && echo "both bitnesses side by side: registered in either order, each unregistered alone, nothing left"
exit $failed
