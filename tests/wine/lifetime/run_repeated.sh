#!/usr/bin/env bash
# run_repeated.sh N PROGRAM [ARGS...]: runs a Windows program of ours N times,
# each in a fresh process; fails when any run fails or ends by a crash.
set -u
runs=$1
shift
failed=0
for ((i = 1; i <= runs; i++)); do
  "$(dirname "$0")/../run_wine_program.sh" "$@" > "${TMPDIR:-/tmp}/tarn_repeated.$$" 2>&1
  code=$?
  if [ $code != 0 ]; then
    echo "run $i: exit code $code"
    head -n 40 "${TMPDIR:-/tmp}/tarn_repeated.$$"
    failed=$((failed + 1))
  fi
done
[ $failed = 0 ] && tail -n 2 "${TMPDIR:-/tmp}/tarn_repeated.$$"
rm -f "${TMPDIR:-/tmp}/tarn_repeated.$$"
echo "$runs processes, $failed failed"
[ $failed = 0 ]
