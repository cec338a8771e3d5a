#!/usr/bin/env bash
# An author's session end to end: enter the editor from level 1, paint a small level, place the
# Player, a ball and a platform, save it, paint once more without saving and go back to play,
# which plays exactly the board as painted; the same level made with the keyboard's cursor saves
# the same bytes; P tests level.dat as level 0 and Escape goes back to the editor, the saved
# progress untouched. Catches an editor that leaves the old level's objects in play, a save
# that loses or adds cells, a cursor that edits otherwise than the mouse, and a test that
# touches the progress or ends the game.
# Args: BUILD_DIR SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin editor "$1/game"
cp "$game"/*.dat "$game"/*.wav "$game"/*.bmp "$work"/
cd "$work"

# Cells are 40 pixels; (x, y) = (column * 40 + 20, row * 40 + 20) is the middle of a cell.
# Land at (1, 1), (2, 1), (3, 1); the Player at (1, 1), a ball at (3, 1) (the second object a
# right click cycles to), a platform of type 0 with its box at (4, 0); save; then land at (1, 0)
# never saved.
{
  printf 'frames 1 D\nframes 1\n'
  for click in 'left 60 60' 'left 100 60' 'left 140 60' 'right 60 60' 'right 140 60' \
    'right 140 60' 'right 180 20' 'right 180 20' 'right 180 20' S 'left 60 20'; do
    if [ "$click" = S ]; then echo 'frames 1 S'; else printf 'click %s\nframes 1\n' "$click"; fi
  done
  # In play: up walks onto the land painted after the save.
  printf 'frames 1 ENTER\nframes 1\nframes 10 UP\n'
} >edit.txt
out=$("$game/yelko" --replay edit.txt --start-level 1)
echo "edit: $out"
# Nothing of level 1 is left in play: its platform and ball are gone, and the status line
# claims neither its name nor its par.
for field in editor:0 player:'[40,0]' platforms:'[[0,160,0]]' balls_total:1 name:'"Your level"'; do
  expect "$out" "${field%%:*}" "${field#*:}"
done
grep -q '"status":"Your level   Moves 1 ' <<<"$out" || fail "play does not name the painted board"
# Only start-up may have something to say (about missing art); the editor must not.
no_messages() { ! grep -qE 'INVALID_HANDLE_VALUE|Too many|Hov!' <<<"$1" || fail "message: $1"; }
no_messages "$out"

# The save is a whole 300-byte level without the paint done after it; what it holds is checked
# by playing it: right twice takes the ball on the saved land, once more walks onto the platform.
[ "$(stat -c %s level.dat)" = 300 ] || fail "level.dat is not 300 bytes"
[ "$(od -An -tu1 -j 14 -N 1 level.dat | tr -d ' ')" = 2 ] || fail "unsaved paint at (1, 0) was stored"
printf 'frames 30 RIGHT\n' >play.txt
out=$("$game/yelko" --replay play.txt --start-level 0)
echo "play: $out"
for field in balls_total:1 balls_left:0 solved:1 player:'[160,40]' platforms:'[[0,160,0]]'; do
  expect "$out" "${field%%:*}" "${field#*:}"
done
no_messages "$out"
mv level.dat mouse.dat

# The same level with the keyboard's cursor: Tab shows it on (0, 0), the arrows move it, Space
# paints, X steps the object, Delete empties a cell; S saves and says what the check found.
key() { printf 'frames 1 %s\nframes 1\n' "$@"; }
{
  printf 'frames 1 D\nframes 1\n'
  key TAB DOWN RIGHT SPACE X RIGHT SPACE X DELETE RIGHT SPACE X X UP RIGHT X X X S
  printf 'frames 30\n'
} >cursor.txt
out=$("$game/yelko" --replay cursor.txt --start-level 1)
echo "cursor: $out"
cmp mouse.dat level.dat || fail "the cursor's level differs from the mouse's"
grep -q '"status":"X: platform 1   Balls 1/4   Platforms 1/9        Saved level.dat (solvable in 2 moves)"' \
  <<<"$out" || fail "the save does not say what the check found"

# P saves and tests level.dat; the progress (level 3 to resume) is neither read nor written.
mkdir -p data/yelko && printf '\3' >data/yelko/Level
{
  printf 'frames 1 D\nframes 1\nframes 1 L\nframes 1\nclick left 20 20\nframes 1\nframes 1 P\nframes 1\n'
  printf 'frames 10 RIGHT\n'
} >test.txt
out=$("$game/yelko" --replay test.txt)
echo "test: $out"
for field in editor:0 level:0 player:'[80,40]' progress:3; do expect "$out" "${field%%:*}" "${field#*:}"; done
grep -q '"status":"Testing level.dat   Moves 1 ' <<<"$out" || fail "the test is not named"
[ "$(od -An -tu1 -N 1 level.dat | tr -d ' ')" = 1 ] || fail "P did not save the painted cell"
# Escape goes back to the editor with the board as saved (the Player on his start); it does
# not end the game, and nothing of the test is kept.
printf 'frames 2 ESCAPE\nframes 2\n' >>test.txt
out=$("$game/yelko" --replay test.txt)
echo "back: $out"
for field in editor:1 level:3 player:'[40,40]' exit_code:0; do expect "$out" "${field%%:*}" "${field#*:}"; done
[ "$(od -An -tu1 data/yelko/Level | tr -d ' ')" = 3 ] || fail "the test changed the progress"
[ ! -e data/yelko/Best ] || fail "the test saved a record"
echo "ok"
