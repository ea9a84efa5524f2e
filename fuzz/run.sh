#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time (seconds each, default 60) and
# prints its figures; fails when a target finds a crash.
set -eu
seconds=${1:-60}
cd "$(dirname "$0")/.."
status=0
for target in build/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus-$name
  mkdir -p "$corpus"
  log=build/fuzz/$name.log
  if "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/"$name"- "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$name: $runs executions in ${seconds}s, no crash"
  else
    echo "$name: FAILED"; tail -n 40 "$log"; status=1
  fi
done
exit $status
