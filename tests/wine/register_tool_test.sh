#!/usr/bin/env bash
# register_tool_test.sh TOOL: tarnlib-register's help, its refusals (no DLL,
# an unknown option, a DLL of the other bitness, named with both bitnesses)
# and its version information.
set -u
. "$(dirname "$0")/wine_env.sh"
tool=$(wine_path "$1")
bits=$TARN_BITS_RUN
other=32
[ "$bits" = 32 ] && other=64
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# run EXPECTED_STATUS PATTERN ARGS...: the exit status and a line of the output.
run() {
  local want=$1 pattern=$2 output status
  shift 2
  output=$(set -o pipefail; wine_run 60 "$tool" "$@" 2>&1 | tr -d '\r')
  status=$?
  printf '  [%s] %s\n' "$*" "$(printf '%s' "$output" | head -n 1)"
  [ "$status" = "$want" ] || fail "tarnlib-register $*: exit $status, expected $want"
  printf '%s\n' "$output" | grep -q -- "$pattern" || fail "tarnlib-register $*: no line matching [$pattern]"
}

run 0 "^tarnlib-register (${bits}-bit): registers TarnLib.dll for the current user" '/?'
run 0 '^usage: tarnlib-register \[/u\] <path of TarnLib.dll>' -h
run 2 '^usage: '
run 2 '^usage: ' ''
run 2 'unknown option /x' /x 'C:\TarnLib.dll'
# The headers of a DLL of the other bitness: the tool must refuse it before loading anything.
other_dll=$(mktemp --suffix=.dll)
trap 'rm -f "$other_dll"' EXIT
python3 - "$other_dll" "$other" <<'PY'
import struct, sys
magic = 0x20B if sys.argv[2] == '64' else 0x10B
machine = 0x8664 if sys.argv[2] == '64' else 0x14C
dos = b'MZ' + b'\0' * 58 + struct.pack('<I', 64)
nt = b'PE\0\0' + struct.pack('<HHIIIHH', machine, 0, 0, 0, 0, 240 if magic == 0x20B else 224, 0x2102)
open(sys.argv[1], 'wb').write(dos + nt + struct.pack('<H', magic) + b'\0' * 256)
PY
run 1 "is a ${other}-bit DLL and this tarnlib-register.exe is ${bits}-bit; register a 32-bit DLL with the 32-bit tarnlib-register.exe (x86), a 64-bit DLL with the 64-bit one (x64)" "$(wine_path "$other_dll")"
run 1 'cannot load .*missing.dll (error 126)' 'C:\missing.dll'

# The version information, read from the file's resource as Windows reads it.
python3 - "$1" "$bits" <<'PY' || fail "version information"
import sys
data = open(sys.argv[1], 'rb').read()
bits = sys.argv[2]
want = {
    'CompanyName': 'The TarnLib authors',
    'FileDescription': 'TarnLib per-user registration (%s-bit)' % bits,
    'FileVersion': '0.04.0003',
    'InternalName': 'tarnlib-register',
    'OriginalFilename': 'tarnlib-register.exe',
    'ProductName': 'TarnLib',
    'ProductVersion': '0.04.0003',
}
bad = 0
for key, value in want.items():
    raw = key.encode('utf-16-le') + b'\0\0'
    at = data.find(raw)
    if at < 0:
        print('  no version string %s' % key)
        bad = 1
        continue
    at += len(raw)
    # The value starts at the next 32-bit boundary (resources are aligned in the file).
    while at % 4:
        at += 1
    end = data.find(b'\0\0', at)
    while end >= 0 and (end - at) % 2:
        end = data.find(b'\0\0', end + 1)
    got = data[at:end].decode('utf-16-le')
    print('  %s = %s' % (key, got))
    if got != value:
        print('  expected %s = %s' % (key, value))
        bad = 1
sys.exit(bad)
PY
[ $failed = 0 ] && echo "tarnlib-register: help, refusals and version information as documented"
exit $failed
