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
set -u
build=$1
runs=${3:-120}
yelko="$build/game/yelko"
[ -x "$yelko" ] || { echo "no game at $yelko" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-kill-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
export XDG_DATA_HOME="$work/data" HOME="$work"
mkdir -p data/yelko

# bytes N VALUE: N bytes of VALUE (0..255).
bytes() { head -c "$1" /dev/zero | tr '\0' "\\$(printf '%03o' "$2")"; }

# Levels 1..5: all land, the Player starting on the one ball, no platforms. Each is solved in
# its first frame.
for n in 1 2 3 4 5; do
  { bytes 196 1; printf "\\$(printf '%03o' "$n")\\003\\$(printf '%03o' "$n")\\003"; bytes 100 255; } \
    >"level$n.dat"
done
# The old level.dat: all water, no objects, and 4 KB beyond the record that every save keeps.
{ bytes 196 2; bytes 104 255; head -c 4096 /dev/urandom; } >level.dat
cp level.dat old-level.dat
tail -c 4096 level.dat >old-tail
printf '\001' >data/yelko/Level

passes=40
{
  for ((i = 0; i < passes; ++i)); do
    echo "menu 21"
    echo "frames 1"
    echo "menu 23"
    echo "frames 1"
    echo "frames 1 D"
    echo "frames 1"
    echo "click left $((i % 14 * 40 + 20)) $((i / 14 * 40 + 20))"
    echo "frames 1"
    echo "frames 3 S"
    echo "frames 1 ENTER"
  done
} >save.replay

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The terrain's land cells of a level file, as "index index ...".
land_cells() {
  head -c 196 "$1" | od -An -v -tu1 | tr -s ' ' '\n' | sed '/^$/d' | grep -n '^1$' | cut -d: -f1
}

# One uninterrupted run: the reference for what a save writes beyond the terrain.
start=$(date +%s%N)
"$yelko" --replay save.replay >run.json 2>&1 || fail "the uninterrupted run failed: $(cat run.json)"
full_ms=$((($(date +%s%N) - start) / 1000000))
[ "$(od -An -tu1 data/yelko/Level | tr -d ' ')" = 4 ] || fail "the progress after a whole run is not 4"
tail -c +197 level.dat >saved-rest  # bytes 196.. of a saved level.dat, tail included
[ "$(land_cells level.dat)" = "$(((passes - 1) % 14 * 14 + (passes - 1) / 14 + 1))" ] ||
  fail "the last save does not hold the last painted cell"
expected_size=$((300 + 4096))
cp old-level.dat level.dat
printf '\001' >data/yelko/Level

# Every cell a pass paints, as the 1-based terrain index land_cells reports.
valid_cells=" "
for ((i = 0; i < passes; ++i)); do valid_cells+="$((i % 14 * 14 + i / 14 + 1)) "; done

check_files() {
  local size
  size=$(stat -c %s level.dat 2>/dev/null) || fail "level.dat is gone"
  [ "$size" = "$expected_size" ] || fail "level.dat is $size bytes, not $expected_size"
  if ! cmp -s level.dat old-level.dat; then
    cmp -s <(tail -c +197 level.dat) saved-rest || fail "level.dat beyond the terrain is mixed"
    local cells
    cells=$(land_cells level.dat | tr '\n' ' ')
    [ "$(echo "$cells" | wc -w)" = 1 ] || fail "level.dat has land cells '$cells': a mix"
    [[ "$valid_cells" == *" ${cells% } "* ]] || fail "level.dat has land at $cells, never painted"
    seen_cells[${cells% }]=1
  fi
  size=$(stat -c %s data/yelko/Level 2>/dev/null) || fail "the progress file is gone"
  [ "$size" = 1 ] || fail "the progress file is $size bytes"
  case "$(od -An -tu1 data/yelko/Level | tr -d ' ')" in
    1 | 2 | 4) ;;
    *) fail "the progress holds $(od -An -tu1 data/yelko/Level)" ;;
  esac
}

declare -A seen_cells
killed_running=0
for ((r = 0; r < runs; ++r)); do
  # Delays spread over the whole run (a fixed scramble of the run's index), so kills land early,
  # late and in between.
  delay_ms=$(((r * 7919) % 997 * full_ms / 997))
  "$yelko" --replay save.replay >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null && killed_running=$((killed_running + 1))
  fi
  wait "$pid" 2>/dev/null
  check_files
done

# A run after all those kills starts from what they left and ends normally.
"$yelko" --replay save.replay >run.json 2>&1 || fail "a run after the kills failed: $(cat run.json)"
check_files

left=$(find . -maxdepth 3 \( -name 'level.dat.*' -o -name 'Level.*' \) | wc -l)
echo "kill test: $runs runs (${full_ms} ms each uninterrupted), $killed_running killed while" \
  "running; every file whole and old or new after each; ${#seen_cells[@]} different saves of" \
  "level.dat seen; $left temporary files left by kills (level.dat.XXXXXX, Level.XXXXXX)"
