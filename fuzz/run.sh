#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each, one after another, and fails if any found something.
#
#   fuzz/run.sh BUILD_DIR SECONDS
#
# Each target starts from its seeds (fuzz/corpus/<target>) and every earlier finding
# (fuzz/regressions/<target>), and keeps what it learns in BUILD_DIR/fuzz-corpus/<target>, so a
# later run goes on from there. A finding is written to BUILD_DIR/fuzz-findings/<target>-*; to
# keep it as a regression test, copy it into fuzz/regressions/<target>/.
set -u
build=$(realpath "$1")
seconds=$2
source=$(cd "$(dirname "$0")/.." && pwd)
targets="level editor image sound progress replay record text"

mkdir -p "$build/fuzz-findings"
failed=""
total=0
for t in $targets; do
  program="$build/fuzz/fuzz_$t"
  if [ ! -x "$program" ]; then
    echo "fuzz: $program is missing" >&2
    exit 2
  fi
  mkdir -p "$build/fuzz-corpus/$t"
  dirs=("$build/fuzz-corpus/$t" "$source/fuzz/corpus/$t")
  [ -d "$source/fuzz/regressions/$t" ] && dirs+=("$source/fuzz/regressions/$t")
  dict=()
  [ -f "$source/fuzz/$t.dict" ] && dict=(-dict="$source/fuzz/$t.dict")
  log="$build/fuzz-findings/$t.log"
  # The largest seed bounds an input's size; one input may take at most 20 s.
  "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-findings/$t-" "${dict[@]}" "${dirs[@]}" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  total=$((total + runs))
  if [ $status -ne 0 ]; then
    failed="$failed $t"
    echo "fuzz $t: FAILED after $runs executions (exit $status); see $log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|broken:|artifact_prefix|Test unit written)' "$log" | head -5
  else
    echo "fuzz $t: $runs executions in ${seconds}s, nothing found"
  fi
done
echo "fuzz: $total executions in all"
if [ -n "$failed" ]; then
  echo "fuzz: findings in:$failed" >&2
  exit 1
fi
