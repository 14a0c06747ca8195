#!/usr/bin/env bash
# Runs every fuzz harness of build-fuzz for FUZZ_SECONDS seconds (default 120) and prints the
# executions of each. A new corpus grows in build-fuzz/corpus/<harness>; an input that crashes
# is written to tests/fuzz/corpus/<harness>/, to be fixed and committed, so that every test run
# replays it. An input that runs longer than FUZZ_TIMEOUT seconds (default 10) counts as a
# crash: a hang is a fault too.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-120}
timeout=${FUZZ_TIMEOUT:-10}
status=0
summary=()
for harness in names text settings options selection reference target_lists exports hits_file election; do
  program=build-fuzz/bin/fuzz_${harness}
  work=build-fuzz/corpus/${harness}
  committed=tests/fuzz/corpus/${harness}
  mkdir -p "$work" "$committed"
  log=build-fuzz/fuzz_${harness}.log
  echo "fuzzing ${harness} for ${seconds} s"
  "$program" "$work" "$committed" -max_total_time="$seconds" -timeout="$timeout" -print_final_stats=1 \
    -artifact_prefix="$committed/" -max_len=4096 >"$log" 2>&1
  code=$?
  runs=$(grep -o "stat::number_of_executed_units: *[0-9]*" "$log" | grep -o "[0-9]*$" || true)
  [ -n "$runs" ] || runs=$(grep -o "Done [0-9]* runs" "$log" | grep -o "[0-9]*" || echo "?")
  if [ $code -ne 0 ]; then
    status=1
    summary+=("$(printf '%-14s %12s executions  CRASH, see %s' "$harness" "$runs" "$log")")
  else
    summary+=("$(printf '%-14s %12s executions' "$harness" "$runs")")
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
