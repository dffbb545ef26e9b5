#!/usr/bin/env bash
# x86_run_test.sh DLL32: the interface of scripts/x86-run.sh, on whichever way
# this machine runs 32-bit programs (here or in the guest): output on standard
# output, the program's exit status, the current folder as the program's (a
# file it writes there comes back), a 32-bit process, DLLs registered before
# the program runs, a fresh prefix each run, and 125 for what it cannot run.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
run="$root/scripts/x86-run.sh"
dll=$(realpath "$1")
failed=0
fail() { echo "not ok - $*"; failed=1; }
pass() { echo "ok - $*"; }
mkdir -p "$root/build/x86-run-test"
work=$(mktemp -d "$root/build/x86-run-test/run.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

printf '@echo off\r\necho tarn-cmd %%1 %%2\r\necho written> written.txt\r\nexit /b 3\r\n' >job.cmd
cat >probe.vbs <<'VBS'
Set sh = CreateObject("WScript.Shell")
WScript.Echo "arch=" & sh.Environment("Process")("PROCESSOR_ARCHITECTURE")
Set sf = CreateObject("TarnLib.StringFunction")
WScript.Echo "count=" & sf.CountStringInString("a-b-c", "-")
VBS
cat >unregistered.vbs <<'VBS'
On Error Resume Next
Set sf = CreateObject("TarnLib.StringFunction")
If Err.Number = 0 Then WScript.Echo "registered" Else WScript.Echo "not registered"
VBS

# In the guest each call is one boot: few calls, each checking several things.
output=$("$run" -- job.cmd one two 2>/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}")
status=$?
[ "$status" = 3 ] && pass ".cmd exit status" || fail ".cmd exit status $status, expected 3"
grep -qx 'tarn-cmd one two' <<<"$output" && pass ".cmd output and arguments" || fail ".cmd output: $output"
[ -f written.txt ] && pass "file written in the current folder" || fail "written.txt missing"

output=$("$run" --register "$dll" -- cscript.exe //nologo probe.vbs 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
status=$?
[ "$status" = 0 ] && pass "cscript exit status" || fail "cscript exit status $status: $output"
grep -qx 'arch=x86' <<<"$output" && pass "32-bit script host" || fail "script host: $output"
grep -qx 'count=2' <<<"$output" && pass "registered DLL called" || fail "DLL call: $output"

output=$("$run" -- cscript.exe //nologo unregistered.vbs 2>&1 | tr -d '\r')
grep -qx 'not registered' <<<"$output" && pass "fresh prefix: nothing registered" || fail "fresh prefix: $output"

"$run" -- no-such-program.exe >/dev/null 2>&1
status=$?
[ "$status" = 125 ] && pass "unknown program: 125" || fail "unknown program: $status"
"$run" --register "$work/missing.dll" -- cmd.exe /c exit 0 >/dev/null 2>&1
status=$?
[ "$status" = 125 ] && pass "missing DLL: 125" || fail "missing DLL: $status"

[ $failed = 0 ] && echo "x86-run: all checks passed"
exit $failed
