#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SEED_CORPUS WORK_CORPUS SECONDS [LIBFUZZER OPTIONS...]:
# runs a libFuzzer fuzzer of the portable core for SECONDS, starting from the
# seed corpus in the source tree and keeping what it finds in WORK_CORPUS.
# A crash, a sanitizer report or a broken property fails the run and leaves
# the input in WORK_CORPUS/../artifacts. For example, an hour of one fuzzer:
#   tests/fuzz/run_fuzzer.sh build/native-fuzz/tarn_fuzz_keyed_list \
#     tests/fuzz/corpus/keyed_list build/native-fuzz/corpus/keyed_list 3600
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
shift 4
artifacts="$(dirname "$work")/artifacts/"
mkdir -p "$work" "$artifacts"
exec "$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$artifacts" "$@" "$work" "$seeds"
