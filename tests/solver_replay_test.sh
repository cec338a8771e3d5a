#!/bin/bash
# yelko-solve as authors run it: its lines and exit status, and its --script replayed by the
# game itself (yelko --replay) for every shipped level: the replay solves the level, and the
# same replay without its last move does not.
# Arguments: the build directory and the source directory.
set -u
build=$(cd "$1" && pwd)
game=$build/game
solve=$game/yelko-solve
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data

for tool in "$solve" "$game/yelko" "$game/yelko-level"; do
  [ -x "$tool" ] || { echo "FAIL: $tool is not built"; exit 1; }
done

# Plays a script on level.dat in a directory of its own; prints the "solved" value.
solved_after() {
  local dir=$work/play
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$1" "$dir/level.dat"
  cp "$2" "$dir/script.txt"
  (cd "$dir" && "$game/yelko" --replay script.txt --start-level 0) |
    sed -n 's/.*"solved":\([0-9]*\).*/\1/p'
}

# The script without its last move: ten frames fewer on the last line.
drop_last_move() {
  awk '{ lines[NR] = $0 } END {
    split(lines[NR], w, " ")
    if (w[2] > 10) lines[NR] = "frames " (w[2] - 10) " " w[3]; else NR--
    for (i = 1; i <= NR; ++i) print lines[i]
  }' "$1"
}

# Every shipped level: one line each, exit status 0.
out=$("$solve" "$game"/level{1,2,3,4,5}.dat)
status=$?
[ $status -eq 0 ] || fail "shipped levels: exit status $status"
[ "$(echo "$out" | grep -cE '^.*/level[1-5]\.dat: solvable in [0-9]+ moves: [LURD]+$')" -eq 5 ] ||
  fail "shipped levels: unexpected output: $out"

for n in 1 2 3 4 5; do
  level=$game/level$n.dat
  "$solve" --script "$level" > "$work/s$n.txt" || { fail "level $n: --script failed"; continue; }
  drop_last_move "$work/s$n.txt" > "$work/short$n.txt"
  [ "$(solved_after "$level" "$work/s$n.txt")" = 1 ] || fail "level $n: the replay does not solve it"
  [ "$(solved_after "$level" "$work/short$n.txt")" = 0 ] ||
    fail "level $n: solved before the last move"
done

# An unsolvable level (level 1 without its ball), a file that is not a level, and a missing
# one: the worst decides the exit status.
cp "$game/level1.dat" "$work/noball.dat"
printf '\377' | dd of="$work/noball.dat" bs=1 seek=198 conv=notrunc status=none
head -c 299 "$game/level1.dat" > "$work/short.dat"

out=$("$solve" "$work/noball.dat")
[ $? -eq 1 ] || fail "unsolvable level: exit status not 1"
echo "$out" | grep -qE '^.*/noball\.dat: unsolvable \([0-9]+ states explored\)$' ||
  fail "unsolvable level: $out"

out=$("$solve" "$game/level1.dat" "$work/noball.dat" "$work/short.dat" "$work/none.dat")
[ $? -eq 2 ] || fail "files in error: exit status not 2"
echo "$out" | grep -q '/short.dat: error: not a level' || fail "short file: $out"
echo "$out" | grep -q '/none.dat: error: cannot read it' || fail "missing file: $out"
[ "$(echo "$out" | wc -l)" -eq 4 ] || fail "one line per file expected: $out"

"$solve" --script "$work/noball.dat" > "$work/none.txt" 2> /dev/null
[ $? -eq 1 ] || fail "--script of an unsolvable level: exit status not 1"
[ -s "$work/none.txt" ] && fail "--script of an unsolvable level printed a script"

"$solve" --stats "$game/level1.dat" | grep -qE 'states/s CPU, [0-9]+ carries\]$' ||
  fail "--stats: no figures"
"$solve" > /dev/null 2>&1
[ $? -eq 2 ] || fail "no files: exit status not 2"

[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
