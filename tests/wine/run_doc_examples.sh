#!/usr/bin/env bash
# run_doc_examples.sh [--only PAGE | --except PAGE]...: runs every VBScript and
# JScript example of the documentation with Wine's cscript of the bitness
# TARN_WINE_BITS asks for (64 unless 32) and compares what each prints with
# the output block the documentation shows under it (docs/tools/doc_examples.py
# does the extracting, running and comparing). The settings the examples write
# live under one company key, removed before and after.
set -u
. "$(dirname "$0")/wine_env.sh"
company='HKCU\Software\TarnLib Reference Examples'
remove_settings() {
  wine_run 60 "${TARN_SYSTEM}reg.exe" delete "$company" /f >/dev/null 2>&1 </dev/null || true
}
export TARN_WINE_LOADER TARN_SYSTEM TARN_BITS_RUN
remove_settings
python3 -B "$TARN_ROOT/docs/tools/doc_examples.py" run "$@"
status=$?
remove_settings
exit $status
