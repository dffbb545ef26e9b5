#!/usr/bin/env bash
# run_script.sh SCRIPT: runs a VBScript (.vbs) or JScript (.js) test with
# Wine's cscript of the bitness TARN_WINE_BITS asks for (64 unless 32), and
# passes only when the script host was of that bitness and the last line is
# the summary with no failures. Wine's cscript exits with 0 even when a script
# stops on an error, so the summary line is what tells a complete run. The
# language comes from the file's extension: Wine's cscript ignores //E:.
set -u
. "$(dirname "$0")/wine_env.sh"
extension=${1##*.}
runner=$(basename "$0" .sh)
# Each test script runs with the shared checks of its language prepended.
combined=$(mktemp --suffix=".$extension")
trap 'rm -f "$combined"' EXIT
cat "$(dirname "$1")/test_support.$extension" "$1" > "$combined"
script=$(wine_path "$combined")
output=$(wine_run 300 "${TARN_SYSTEM}cscript.exe" //nologo "$script" 2>&1 | tr -d '\r')
status=$?
printf '%s\n' "$output"
wine_check_host "$output" || exit 1
last=$(printf '%s\n' "$output" | grep -v '^\s*$' | tail -n 1)
if [[ ! "$last" =~ ^[0-9]+\ passed,\ 0\ failed$ ]]; then
  echo "$runner: no clean summary line at the end (exit $status)" >&2
  exit 1
fi
exit 0
