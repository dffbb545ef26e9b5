#!/usr/bin/env bash
# run_repeated.sh N PROGRAM [ARGS...]: runs a Windows program of ours N times,
# each in a fresh process; fails when any run fails or ends by a crash.
set -u
runs=$1
shift
# Under emulation (the x86 guest, TARN_TIME_SCALE above 1) a trailing count of
# cycles is divided by the scale, so that the soak keeps to its time there.
scale=${TARN_TIME_SCALE:-1}
if [ "$scale" -gt 1 ] && [[ "${*: -1}" =~ ^[0-9]+$ ]]; then
  cycles=$((${*: -1} / scale))
  set -- "${@:1:$#-1}" "$cycles"
  echo "under emulation: $cycles cycles per process"
fi
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
