#!/usr/bin/env bash
# run_repeated.sh N PROGRAM [ARGS...]: runs a Windows program of ours N times,
# each in a fresh process; fails when any run fails or ends by a crash.
set -u
runs=$1
shift
failed=0
output=$(mktemp)
trap 'rm -f "$output"' EXIT
for ((i = 1; i <= runs; i++)); do
  "$(dirname "$0")/../run_wine_program.sh" "$@" > "$output" 2>&1
  code=$?
  if [ $code != 0 ]; then
    echo "run $i: exit code $code"
    head -n 40 "$output"
    failed=$((failed + 1))
  else
    echo "run $i:"
    tail -n 8 "$output"
  fi
done
echo "$runs processes, $failed failed"
[ $failed = 0 ]
