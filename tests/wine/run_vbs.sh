#!/usr/bin/env bash
# run_vbs.sh SCRIPT: a VBScript test under Wine (see run_script.sh).
exec "$(dirname "$0")/run_script.sh" "$@"
