#!/usr/bin/env bash
# run-bounded.sh FUZZER WORK_CORPUS SEED_CORPUS SECONDS
# Runs one libFuzzer target for a bounded time on a scratch copy of the seed corpus, prints
# its closing statistics, and fails when the fuzzer found a crash.
set -uo pipefail
fuzzer=$1 work=$2 seeds=$3 seconds=$4
rm -rf "$work" && mkdir -p "$work/corpus"
cp -r "$seeds"/. "$work/corpus"/
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1
rc=$?
grep -E '^(stat::|#[0-9]+ +DONE)' "$work/log"
if [ $rc -ne 0 ]; then
    tail -n 60 "$work/log"
    echo "fuzzer failed with exit code $rc; crashing input in $work/" >&2
fi
exit $rc
