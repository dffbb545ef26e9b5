#!/usr/bin/env bash
# run_doc_examples.sh [--only PAGE | --except PAGE]...: runs every VBScript and
# JScript example of the documentation with Wine's cscript of the bitness
# TARN_WINE_BITS asks for (64 unless 32) and compares what it prints with the
# output block the documentation shows under it. Each example runs in a
# cscript process of its own, between a first line naming the script host (to
# check the bitness) and a last line that only a script that ran to its end
# prints (Wine's cscript exits with 0 after a runtime error). The settings the
# examples write live under one company key, removed before and after.
set -u
. "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
company='HKCU\Software\TarnLib Reference Examples'
end_line='-- end of example --'

remove_settings() {
  wine_run 60 "${TARN_SYSTEM}reg.exe" delete "$company" /f >/dev/null 2>&1 </dev/null || true
}

python3 "$TARN_ROOT/docs/tools/doc_examples.py" "$work" "$@" > "$work/list" || exit 1
remove_settings
passed=0
failed=0
while read -r script origin; do
  base=${script%.*}
  if [[ $script == *.vbs ]]; then
    {
      printf '%s\r\n' 'WScript.Echo "script host: PROCESSOR_ARCHITECTURE=" & CreateObject("WScript.Shell").Environment("Process").Item("PROCESSOR_ARCHITECTURE")'
      cat "$work/$script"
      printf '%s\r\n' "WScript.Echo \"$end_line\""
    } > "$work/run-$script"
  else
    {
      printf '%s\r\n' 'WScript.Echo("script host: PROCESSOR_ARCHITECTURE=" + new ActiveXObject("WScript.Shell").Environment("Process").Item("PROCESSOR_ARCHITECTURE"));'
      cat "$work/$script"
      printf '%s\r\n' "WScript.Echo(\"$end_line\");"
    } > "$work/run-$script"
  fi
  output=$(wine_run 120 "${TARN_SYSTEM}cscript.exe" //nologo "$(wine_path "$work/run-$script")" 2>&1 </dev/null | tr -d '\r')
  if ! wine_check_host "$output"; then
    failed=$((failed + 1))
    echo "not ok - $origin: wrong script host"
    continue
  fi
  body=$(printf '%s\n' "$output" | sed '1d')
  if [ "$(printf '%s\n' "$body" | tail -n 1)" != "$end_line" ]; then
    failed=$((failed + 1))
    echo "not ok - $origin: the script stopped before its end; it printed:"
    printf '%s\n' "$body" | sed 's/^/    /'
    continue
  fi
  printf '%s\n' "$body" | sed '$d' > "$work/$base.actual"
  if diff -u "$work/$base.expected" "$work/$base.actual" > "$work/$base.diff"; then
    passed=$((passed + 1))
    echo "ok - $origin"
  else
    failed=$((failed + 1))
    echo "not ok - $origin: output differs from the documentation (- documented, + printed):"
    sed '1,2d; s/^/    /' "$work/$base.diff"
  fi
done < "$work/list"
remove_settings
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
