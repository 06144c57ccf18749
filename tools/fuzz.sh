#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build for a fixed time each, starting
# from its committed seeds and past failures, and reports the executions.
# A failure leaves its input under build/fuzz/artifacts/<target>/: commit it
# to tests/fuzz/regressions/<target>/ with the fix, and ctest in the fuzz
# build replays it from then on.
# Usage: tools/fuzz.sh [seconds per target] (default 10); build first with
#   CC=clang CXX=clang++ cmake -S . -B build/fuzz -DZOR_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
build="$root/build/fuzz"
status=0
for fuzzer in "$build"/tests/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  work="$build/work/$name"          # what this run adds to the corpus
  artifacts="$build/artifacts/$name"
  mkdir -p "$work" "$artifacts"
  inputs=("$root/tests/fuzz/corpus/$name")
  [ -d "$root/tests/fuzz/regressions/$name" ] && inputs+=("$root/tests/fuzz/regressions/$name")
  log="$build/$name.log"
  if "$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" "$work" "${inputs[@]}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    printf '%-20s %10s runs in %ss, %s\n' "$name" "$runs" "$seconds" "$cov"
  else
    echo "$name FAILED; input saved under $artifacts:"
    grep -E 'ERROR|check failed|runtime error|SUMMARY|Test unit written' "$log" | head -10
    status=1
  fi
done
exit $status
