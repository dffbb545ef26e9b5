#!/usr/bin/env bash
# wine32_detection_test.sh: how the scripts choose the way 32-bit programs run
# (Wine's 32-bit loader, WoW64 mode, or skipped with a reason), and the check
# that a script host had the bitness asked for. Machines without 32-bit Linux
# programs are simulated in a private mount namespace where that can be made.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
failed=0
fail() { echo "not ok - $*"; failed=1; }
pass() { echo "ok - $*"; }

# wine_check_host: bitness asked for, script output, expected verdict.
host_cases=(
  "64|script host: PROCESSOR_ARCHITECTURE=AMD64, PROCESSOR_ARCHITEW6432=|pass"
  "64|script host: PROCESSOR_ARCHITECTURE=x86, PROCESSOR_ARCHITEW6432=AMD64|fail"
  "32|script host: PROCESSOR_ARCHITECTURE=x86, PROCESSOR_ARCHITEW6432=AMD64|pass"
  "32|script host: PROCESSOR_ARCHITECTURE=x86|pass"
  "32|script host: PROCESSOR_ARCHITECTURE=AMD64, PROCESSOR_ARCHITEW6432=|fail"
  "32|script host: PROCESSOR_ARCHITECTURE=x86_64|fail"
  "64|ok - a check without the host line|fail"
)
for row in "${host_cases[@]}"; do
  IFS='|' read -r bits output expected <<<"$row"
  TARN_BITS_RUN=$bits
  if wine_check_host "$output" 2>/dev/null; then verdict=pass; else verdict=fail; fi
  [ "$verdict" = "$expected" ] && pass "host check $bits-bit [$output]" ||
    fail "host check $bits-bit [$output]: $verdict, expected $expected"
done

# Switched off on purpose: no way, a reason, and the 32-bit tests skip.
(
  TARN_WINE32=off
  if wine32_detect || [ "$TARN_WINE32_WAY" != none ] || [[ "$TARN_WINE32_WHY" != *TARN_WINE32=off* ]]; then
    echo "not ok - TARN_WINE32=off: way $TARN_WINE32_WAY, reason [$TARN_WINE32_WHY]"
    exit 1
  fi
) && pass "TARN_WINE32=off detected as none" || failed=1
output=$(TARN_WINE32=off "$here/skip_without_wine32.sh" true)
status=$?
[ $status = 77 ] && [[ "$output" == "skipped: "*TARN_WINE32=off* ]] && pass "skip wrapper with TARN_WINE32=off" ||
  fail "skip wrapper with TARN_WINE32=off: exit $status, [$output]"

# As on a kernel without 32-bit emulation.
probe() {
  "$here/without_32bit_kernel.sh" "$@" env -u TARN_WINE32 bash -c \
    '. "$1/wine_env.sh"; wine32_detect; wine_bits 32; echo "$TARN_WINE32_WAY|$TARN_WINE_LOADER|${WINEDLLPATH:-}|$TARN_WINE32_WHY"' \
    _ "$here"
}
if ! result=$(probe); then
  echo "$result (simulated machines not tried)"
else
  if [ -f "$TARN_WINE32_DLLS/i386-windows/ntdll.dll" ] && ! wine32_wow64_runs; then
    # This kernel runs no 32-bit code at all: WoW64 mode is tried and refused.
    IFS='|' read -r way _ _ why <<<"$result"
    [ "$way" = none ] && [[ "$why" == *"WoW64 mode does not run 32-bit programs"* ]] &&
      pass "no 32-bit loader, WoW64 mode tried and refused: $why" ||
      fail "no 32-bit loader on a kernel without 32-bit code: got [$result]"
  elif [ -f "$TARN_WINE32_DLLS/i386-windows/ntdll.dll" ]; then
    [ "$result" = "wow64|$TARN_WINE64_LOADER|$TARN_WINE32_DLLS|" ] && pass "no 32-bit loader: WoW64 mode" ||
      fail "no 32-bit loader: got [$result], expected WoW64 mode through $TARN_WINE64_LOADER"
    # A real 32-bit script host in WoW64 mode, where the prefix is there.
    if [ -f "$WINEPREFIX/drive_c/windows/syswow64/cscript.exe" ]; then
      script=$(mktemp --suffix=.vbs)
      printf 'WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & CreateObject("WScript.Shell").Environment("Process")("PROCESSOR_ARCHITECTURE")\n' >"$script"
      host=$("$here/without_32bit_kernel.sh" env -u TARN_WINE32 TARN_WINE_BITS=32 bash -c \
        '. "$1/wine_env.sh"; wine_run 120 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$2")" 2>&1 | tr -d "\r"' \
        _ "$here" "$script")
      rm -f "$script"
      TARN_BITS_RUN=32
      wine_check_host "$host" && pass "32-bit cscript in WoW64 mode: ${host}" || fail "32-bit cscript in WoW64 mode: [$host]"
    fi
  fi
  result=$(probe --no-wow64)
  IFS='|' read -r way _ _ why <<<"$result"
  [ "$way" = none ] && [[ "$why" == *"cannot start (Exec format error)"* ]] &&
    pass "neither 32-bit loader nor WoW64 DLLs: none, because: $why" ||
    fail "neither 32-bit loader nor WoW64 DLLs: got [$result]"
  output=$("$here/without_32bit_kernel.sh" --no-wow64 env -u TARN_WINE32 "$here/skip_without_wine32.sh" true)
  status=$?
  [ $status = 77 ] && [[ "$output" == "skipped: Wine's 32-bit loader"* ]] && pass "skip wrapper without 32-bit Wine" ||
    fail "skip wrapper without 32-bit Wine: exit $status, [$output]"
fi
exit $failed
