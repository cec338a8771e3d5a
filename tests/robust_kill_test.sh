#!/usr/bin/env bash
# Killing the game (SIGKILL) while it saves must never cost a file: afterwards "level.dat" and
# the saved progress each hold either their old content or a new one, whole.
#
#   robust_kill_test.sh BUILD_DIR SOURCE_DIR [RUNS]
#
# A replay makes saving frequent: it solves two levels again and again (each solve stores the
# progress, 2 and then 4) and, in between, paints one cell in the editor and holds S for three
# frames. Every pass paints a different cell, so every level.dat it writes differs from the one
# before in two places far apart: a file mixed from two saves would show two land cells or none.
# The game is run RUNS times and killed after varied delays spread over a whole run, each run
# going on from whatever the last kill left; the files are checked after every kill.
set -uo pipefail
source "$(dirname "$0")/script_support.sh"
begin kill "$1/game"
runs=${3:-120}
yelko=$game/yelko
need "$yelko"
cd "$work"
mkdir -p data/yelko

octal() { printf '\\%03o' "$1"; }
bytes() { head -c "$1" /dev/zero | tr '\0' "$(octal "$2")"; }  # bytes N VALUE: N bytes of VALUE

# Levels 1..5: all land, the Player starting on the one ball, no platforms. Each is solved in
# its first frame.
for n in 1 2 3 4 5; do
  { bytes 196 1; printf "$(octal "$n")\\003$(octal "$n")\\003"; bytes 100 255; } >"level$n.dat"
done
# The old level.dat: all water, no objects, and 4 KB beyond the record that every save keeps.
{ bytes 196 2; bytes 104 255; head -c 4096 /dev/urandom; } >level.dat
cp level.dat old-level.dat
printf '\001' >data/yelko/Level

passes=40
for ((i = 0; i < passes; ++i)); do
  printf 'menu 21\nframes 1\nmenu 23\nframes 1\nframes 1 D\nframes 1\nclick left %d %d\n' \
    $((i % 14 * 40 + 20)) $((i / 14 * 40 + 20))
  printf 'frames 1\nframes 3 S\nframes 1 ENTER\n'
done >save.replay

# The terrain's land cells of a level file, as 1-based indexes, one a line.
land_cells() { head -c 196 "$1" | od -An -v -tu1 -w1 | grep -n '^ *1$' | cut -d: -f1; }
progress() { od -An -tu1 data/yelko/Level | tr -d ' '; }

# One uninterrupted run: the reference for what a save writes beyond the terrain.
start=$(date +%s%N)
"$yelko" --replay save.replay >run.json 2>&1 || fail "the uninterrupted run failed: $(cat run.json)"
full_ms=$((($(date +%s%N) - start) / 1000000))
[ "$(progress)" = 4 ] || fail "the progress after a whole run is not 4"
tail -c +197 level.dat >saved-rest  # bytes 196.. of a saved level.dat, tail included
[ "$(land_cells level.dat)" = "$(((passes - 1) % 14 * 14 + (passes - 1) / 14 + 1))" ] ||
  fail "the last save does not hold the last painted cell"
cp old-level.dat level.dat
printf '\001' >data/yelko/Level

# Every cell a pass paints, as the 1-based terrain index land_cells reports.
valid_cells=" "
for ((i = 0; i < passes; ++i)); do valid_cells+="$((i % 14 * 14 + i / 14 + 1)) "; done

declare -A seen_cells
check_files() {
  local size cells
  size=$(stat -c %s level.dat 2>/dev/null) || fail "level.dat is gone"
  [ "$size" = $((300 + 4096)) ] || fail "level.dat is $size bytes, not $((300 + 4096))"
  if ! cmp -s level.dat old-level.dat; then
    cmp -s <(tail -c +197 level.dat) saved-rest || fail "level.dat beyond the terrain is mixed"
    cells=$(land_cells level.dat | tr '\n' ' ')
    [ "$(wc -w <<<"$cells")" = 1 ] || fail "level.dat has land cells '$cells': a mix"
    [[ "$valid_cells" == *" $cells"* ]] || fail "level.dat has land at $cells, never painted"
    seen_cells[$cells]=1
  fi
  size=$(stat -c %s data/yelko/Level 2>/dev/null) || fail "the progress file is gone"
  [ "$size" = 1 ] || fail "the progress file is $size bytes"
  [[ " 1 2 4 " == *" $(progress) "* ]] || fail "the progress holds $(progress)"
}

killed_running=0
for ((r = 0; r < runs; ++r)); do
  # Delays spread over the whole run (a fixed scramble of the run's index), so kills land early,
  # late and in between; each run goes on from what the last kill left.
  delay_ms=$(((r * 7919) % 997 * full_ms / 997))
  "$yelko" --replay save.replay >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  kill -KILL "$pid" 2>/dev/null && killed_running=$((killed_running + 1))
  wait "$pid" 2>/dev/null
  check_files
done
# Kills that all came after the run had ended would have tested nothing.
[ $((killed_running * 4)) -ge "$runs" ] || fail "only $killed_running of $runs kills hit a running game"

# A run after all those kills starts from what they left and ends normally.
"$yelko" --replay save.replay >run.json 2>&1 || fail "a run after the kills failed: $(cat run.json)"
check_files
echo "kill test: $runs runs (${full_ms} ms each uninterrupted), $killed_running killed while" \
  "running, ${#seen_cells[@]} different saves of level.dat seen; every file whole, old or new"
