#!/usr/bin/env bash
# An author's session end to end: enter the editor from level 1, paint a small level, place the
# Player, a ball and a platform, save it, paint once more without saving and go back to play;
# then play the saved "level.dat" from the start. Catches an editor that leaves its board in
# play, a save that loses or adds cells, and a saved level that does not play as drawn.
# Args: BUILD_DIR SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin editor "$1/game"
cp "$game"/*.dat "$game"/*.wav "$game"/*.bmp "$work"/
cd "$work"

# Cells are 40 pixels; (x, y) = (column * 40 + 20, row * 40 + 20) is the middle of a cell.
# Land at (1, 1), (2, 1), (3, 1); the Player at (1, 1), a ball at (3, 1) (the second object a
# right click cycles to), a platform of type 0 with its box at (4, 0); save; then land at (1, 0)
# never saved, which play drops.
{
  printf 'frames 1 D\nframes 1\n'
  for click in 'left 60 60' 'left 100 60' 'left 140 60' 'right 60 60' 'right 140 60' \
    'right 140 60' 'right 180 20' 'right 180 20' 'right 180 20' S 'left 60 20'; do
    if [ "$click" = S ]; then echo 'frames 1 S'; else printf 'click %s\nframes 1\n' "$click"; fi
  done
  # The first play frame still decides on the editor's board; it rebuilds the board at its end.
  # In play: up towards the dropped land stays put; right walks onto the saved land at (2, 1).
  printf 'frames 1 ENTER\nframes 1\nframes 10 UP\nframes 10 RIGHT\n'
} >edit.txt
out=$("$game/yelko" --replay edit.txt --start-level 1)
echo "edit: $out"
# Leaving the editor sets nothing up again: level 1's platform and ball are still in play.
for field in editor:0 level:1 player:'[80,40]' platforms:'[[5,240,200]]' balls_total:1; do
  expect "$out" "${field%%:*}" "${field#*:}"
done
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
echo "ok"
