#!/usr/bin/env bash
# register_per_user_test.sh TOOL DLL: per-user registration writes the classes
# under HKEY_CURRENT_USER\Software\Classes, and /u removes them again.
set -u
. "$(dirname "$0")/wine_env.sh"
tool=$(wine_path "$1")
dll=$(wine_path "$2")
key='HKCU\Software\Classes\TarnLib.StringFunction\CLSID'
failed=0
wine_run 120 "$tool" "$dll" || { echo "registration failed"; failed=1; }
wine_run 60 reg.exe query "$key" >/dev/null 2>&1 || { echo "not registered for the user: $key"; failed=1; }
wine_run 60 reg.exe query 'HKCU\Software\Classes\TypeLib\{380BE816-51D0-403D-9DB2-0BE76F0DEF47}' >/dev/null 2>&1 ||
  { echo "type library not registered for the user"; failed=1; }
wine_run 120 "$tool" /u "$dll" || { echo "unregistration failed"; failed=1; }
if wine_run 60 reg.exe query "$key" >/dev/null 2>&1; then echo "still registered for the user: $key"; failed=1; fi
[ $failed = 0 ] && echo "per-user registration written and removed"
exit $failed
