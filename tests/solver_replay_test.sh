#!/usr/bin/env bash
# yelko-solve as authors run it: its lines and exit status, and its --script replayed by the
# game itself (yelko --replay) for every shipped level: a replay that does not solve the level,
# or that solves it before its last move, means the solver and the game disagree on the rules.
# Arguments: the build directory and the source directory.
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin solver "$1/game"
solve=$game/yelko-solve
need "$solve" "$game/yelko"

# Every shipped level: one line each, exit status 0.
out=$("$solve" "$game"/level{1,2,3,4,5}.dat) || fail "shipped levels: exit status $?"
[ "$(grep -cE '/level[1-5]\.dat: solvable in [0-9]+ moves: [LURD]+$' <<<"$out")" = 5 ] ||
  fail "shipped levels: unexpected output: $out"

for n in 1 2 3 4 5; do
  level=$game/level$n.dat
  "$solve" --script "$level" >"$work/s$n.txt" || fail "level $n: --script failed"
  replay "$level" "$(cat "$work/s$n.txt")" whole
  # The script without its last move: ten frames fewer on the last line.
  replay "$level" "$(awk '{ lines[NR] = $0 } END {
    split(lines[NR], w, " ")
    if (w[2] > 10) lines[NR] = "frames " (w[2] - 10) " " w[3]; else NR--
    for (i = 1; i <= NR; ++i) print lines[i]
  }' "$work/s$n.txt")" short
  grep -qF '"solved":1' "$work/whole.json" || fail "level $n: the replay does not solve it"
  grep -qF '"solved":0' "$work/short.json" || fail "level $n: solved before the last move"
done

# Every level of the shipped collection, opened by the game as a player opens it, is solved by
# the solver's moves in exactly its par (the build's, in par.txt) under its own name.
"$game/yelko-level" unpack "$game/collections/islands.txt" "$work/islands" >/dev/null ||
  fail "unpacking the collection"
mkdir "$work/play" && cp "$game"/*.{bmp,wav,dat,txt} "$work/play"
n=0
while read -r name; do
  n=$((n + 1))
  "$game/yelko-level" compile "$(ls "$work/islands"/*.txt | sed -n ${n}p)" "$work/l.dat" ||
    fail "collection level $n"
  "$solve" --script "$work/l.dat" >"$work/play/s.txt" || fail "collection level $n: no solution"
  par=$(awk -v n=$n '$4 == "levels/islands.txt" && $5 == n { print $2 }' "$game/par.txt")
  json=$(cd "$work/play" && "$game/yelko" --replay s.txt --collection \
    "$game/collections/islands.txt" --start-level $n) || fail "collection level $n: replay"
  expect "$json" solved 1
  expect "$json" moves "${par:-none}"
  expect "$json" name "\"$name\""
done < <(sed -n 's/^level //p' "$game/collections/islands.txt")
[ $n -ge 40 ] || fail "the collection has $n levels"

# An unsolvable level (level 1 without its ball), a file that is not a level, and a missing
# one: the worst decides the exit status, one line per file.
cp "$game/level1.dat" "$work/noball.dat"
printf '\377' | dd of="$work/noball.dat" bs=1 seek=198 conv=notrunc status=none
head -c 299 "$game/level1.dat" >"$work/short.dat"
expect_exit 1 '^.*/noball\.dat: unsolvable \([0-9]+ states explored\)$' "$solve" "$work/noball.dat"
expect_exit 2 '/short.dat: error: not a level' \
  "$solve" "$game/level1.dat" "$work/noball.dat" "$work/short.dat" "$work/none.dat"
grep -q '/none.dat: error: cannot read it' <<<"$out" && [ "$(wc -l <<<"$out")" = 4 ] ||
  fail "files in error: $out"
# No script for an unsolvable level; statistics on request; no files is a usage error.
expect_exit 1 unsolvable "$solve" --script "$work/noball.dat"
! grep -q frames <<<"$out" || fail "--script of an unsolvable level printed a script"
expect_exit 0 'states/s CPU, [0-9]+ positions merged, [0-9.]+ MB peak\] \[par 8, 1 carries, 1 platforms moved, stuck from 0.0% of [0-9]+ positions\]$' "$solve" --stats "$game/level1.dat"
expect_exit 2 . "$solve"
echo "all passed"
