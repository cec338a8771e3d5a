#!/bin/bash
# Hints from anywhere a player can get to, this build beside an earlier one, level by level in
# one run: the same 2,000 positions drawn uniformly from each shipped level's whole reachable
# space, and the climbs from the ten of most work (bench/hint_sampling.h). The earlier build's hint
# (the guided breadth-first search of before the region search) is compiled from its own
# sources at REV with bench/before/hint_before.cpp. Times are processor time of the thread.
#
#   bench/hint_before.sh [REV] [BUILD] [LEVEL...]     (defaults: a4595c3, build, 1 2 3 4 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rev=${1:-a4595c3}
build=${2:-build}
shift $(($# < 2 ? $# : 2))
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(1 2 3 4 5)
case $build in /*) ;; *) build=$root/$build ;; esac

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
git -C "$root" archive "$rev" | tar -x -C "$tmp"
sources=(midend/solver.cpp midend/search_table.cpp board/level.cpp board/level_file.cpp
         board/level_record.cpp board/platform_shapes.cpp play/rules.cpp play/movement.cpp
         platform/memory.cpp platform/files.cpp)
echo "Compiling the hint of $rev ..."
g++ -std=c++20 -O2 -g -DNDEBUG -I"$tmp" -I"$root" -o "$tmp/hint_before" \
  "$root/bench/before/hint_before.cpp" "${sources[@]/#/$tmp/}" -lpthread

for n in "${levels[@]}"; do
  echo "== level $n, before ($rev):"
  "$tmp/hint_before" "$build/game" "$n"
  echo "== level $n, now:"
  "$build/bench/yelko_bench" --benchmark_filter="BM_HintSlowest/$n/" 2>&1 | grep BM_HintSlowest
done
