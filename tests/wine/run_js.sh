#!/usr/bin/env bash
# run_js.sh SCRIPT: a JScript test under Wine (see run_script.sh); the file
# must end in .js.
exec "$(dirname "$0")/run_script.sh" "$@"
