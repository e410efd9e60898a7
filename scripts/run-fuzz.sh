#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for the given seconds, all at once, and reports each.
set -uo pipefail
build=${1:?fuzz build folder}
seconds=${2:-60}
out="$build/fuzz-runs"
mkdir -p "$out"
pids=()
names=()
for bin in "$build"/fuzz/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  mkdir -p "$out/$name.corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  "$bin" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$out/$name-" "$out/$name.corpus" "${seeds[@]}" >"$out/$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
done
status=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then r=clean; else r=FAILED; status=1; fi
  execs=$(grep -m1 'stat::number_of_executed_units' "$out/${names[$i]}.log" | awk '{print $2}')
  echo "${names[$i]}: $r, ${execs:-?} executions (log: $out/${names[$i]}.log)"
done
exit $status
