#!/usr/bin/env bash
# register_dll.sh DLL [/u]: registers (or unregisters) a DLL with regsvr32 in
# the private prefix.
set -u
. "$(dirname "$0")/wine_env.sh"
dll=$(wine_path "$1")
shift
wine_run 120 "${TARN_SYSTEM}regsvr32.exe" /s "$@" "$dll"
