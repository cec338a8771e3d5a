#!/usr/bin/env bash
# Breaks the game on purpose, one small change at a time, and tells which changes the test
# suite catches: a test that still passes with the game broken guards nothing.
#
#   tools/mutants/run.sh [BUILD_DIR] [CTEST_ARGS...]
#
# Each line of tools/mutants/list.txt is FILE, TEXT, REPLACEMENT and WHAT, separated by tabs: the first TEXT in FILE
# becomes REPLACEMENT. For each, the script applies it, builds BUILD_DIR (default
# build-mutants, configured here once), runs ctest, and prints "caught" or "MISSED" with WHAT.
# "caught (build)" is a change the build itself refuses: a warning, or the build's own par step
# (yelko-solve over the shipped levels) failing. A MISSED change may be equivalent (no input
# tells it from the original); say so beside it in list.txt's WHAT, or replace it.
# The source is put back after every change, and on any exit.
set -u
source=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$source/build-mutants}
shift || true
cd "$source"
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DYELKO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null || { echo "the unchanged tree does not build" >&2; exit 2; }

current=""
restore() { [ -n "$current" ] && git checkout -- "$current"; current=""; }
trap restore EXIT

caught=0 total=0
while IFS=$'\t' read -r file text replacement what; do
  case "$file" in ''|'#'*) continue ;; esac
  total=$((total + 1))
  if ! grep -qF -- "$text" "$file"; then
    echo "$total. NOT FOUND  $file: $what"
    continue
  fi
  current=$file
  python3 - "$file" "$text" "$replacement" <<'PY'
import sys
path, text, replacement = sys.argv[1:4]
s = open(path).read()
open(path, "w").write(s.replace(text, replacement, 1))
PY
  if ! cmake --build "$build" -j "$(nproc)" >/dev/null 2>&1; then
    result="caught (build)"
  elif ctest --test-dir "$build" -j "$(nproc)" --timeout 300 "$@" >/dev/null 2>&1; then
    result="MISSED"
  else
    result="caught"
  fi
  [ "$result" = MISSED ] || caught=$((caught + 1))
  echo "$total. $result  $file: $what"
  restore
done < tools/mutants/list.txt
cmake --build "$build" -j "$(nproc)" >/dev/null 2>&1
echo "$caught of $total caught"
