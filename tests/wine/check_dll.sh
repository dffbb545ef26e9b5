#!/usr/bin/env bash
# check_dll.sh OBJDUMP DLL MACHINE: the DLL exports exactly the four COM entry
# points, imports only system DLLs and is built for the expected machine.
set -u
objdump=$1 dll=$2 machine=$3
info=$("$objdump" -p "$dll") || exit 1
failed=0
exports=$(printf '%s\n' "$info" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[ *[0-9]+\] ' | awk '{print $NF}' | sort | tr '\n' ' ')
if [ "$exports" != "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ]; then
  echo "unexpected exports: $exports"; failed=1
fi
imports=$(printf '%s\n' "$info" | grep 'DLL Name:' | awk '{print tolower($3)}' | sort -u | tr '\n' ' ')
for dll_name in $imports; do
  case "$dll_name" in
    kernel32.dll|advapi32.dll|ole32.dll|oleaut32.dll|msvcrt.dll|user32.dll|ws2_32.dll|wsock32.dll|bcrypt.dll) ;;
    *) echo "imports a non-system DLL: $dll_name"; failed=1 ;;
  esac
done
if ! "$objdump" -f "$dll" | grep -q "file format $machine"; then
  echo "not a $machine DLL"; failed=1
fi
[ $failed = 0 ] && echo "exports: $exports; imports: $imports"
exit $failed
