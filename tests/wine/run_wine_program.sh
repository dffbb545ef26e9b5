#!/usr/bin/env bash
# run_wine_program.sh PROGRAM [ARGS...]: runs a Windows program of ours in the
# private prefix, with a time limit.
set -u
. "$(dirname "$0")/wine_env.sh"
program=$(wine_path "$1")
shift
# Paths passed as --name=/linux/path reach the program in Windows form; a
# watchdog grows with the time limits under emulation.
args=()
for arg in "$@"; do
  if [[ "$arg" =~ ^(--[a-z]+=)(/.*)$ ]]; then
    arg="${BASH_REMATCH[1]}$(wine_path "${BASH_REMATCH[2]}")"
  elif [[ "$arg" =~ ^--watchdog=([0-9]+)$ ]]; then
    arg="--watchdog=$((BASH_REMATCH[1] * ${TARN_TIME_SCALE:-1}))"
  fi
  args+=("$arg")
done
wine_run 600 "$program" "${args[@]}"
