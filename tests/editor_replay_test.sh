#!/usr/bin/env bash
# An author's session end to end: enter the editor from level 1, paint a small level, place the
# Player, a ball and a platform, save it, paint once more without saving and go back to play;
# then play the saved "level.dat" from the start.
# Args: BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
game="$build/game/yelko"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build"/game/*.dat "$build"/game/*.wav "$work"/
cp "$build"/game/*.bmp "$work"/ 2>/dev/null || true
cd "$work"
export XDG_DATA_HOME="$work/data"

fail() { echo "FAIL: $*" >&2; exit 1; }
# expect JSON FIELD VALUE: the report holds "FIELD":VALUE exactly.
expect() { grep -qF "\"$2\":$3" <<<"$1" || fail "expected \"$2\":$3 in $1"; }

# Cells are 40 pixels; (x, y) = (column * 40 + 20, row * 40 + 20) is the middle of a cell.
cat >edit.txt <<'EOF'
frames 1 D
frames 1
# land at (1, 1), (2, 1), (3, 1)
click left 60 60
frames 1
click left 100 60
frames 1
click left 140 60
frames 1
# the Player at (1, 1), a ball at (3, 1), a platform of type 0 with its box at (4, 0)
click right 60 60
frames 1
click right 140 60
frames 1
click right 140 60
frames 1
click right 180 20
frames 1
click right 180 20
frames 1
click right 180 20
frames 1
frames 1 S
# land at (1, 0), never saved: play drops it
click left 60 20
frames 1
frames 1 ENTER
# the first play frame still decides on the editor's board; it rebuilds the board at its end
frames 1
# in play: up towards the dropped land stays put; right walks onto the saved land at (2, 1)
frames 10 UP
frames 10 RIGHT
EOF
out=$("$game" --replay edit.txt --start-level 1)
echo "edit: $out"
expect "$out" editor 0
expect "$out" level 1
expect "$out" player '[80,40]'
# Leaving sets nothing up again: level 1's platform and ball are still in play.
expect "$out" platforms '[[5,240,200]]'
expect "$out" balls_total 1
# Only start-up may have something to say (about missing art); the editor must not.
no_editor_messages() {
  if grep -qE 'INVALID_HANDLE_VALUE|Too many|Hov!' <<<"$1"; then fail "unexpected message: $1"; fi
}
no_editor_messages "$out"

# The file: 300 bytes, the painted land, the Player, one ball, one platform.
[ "$(stat -c %s level.dat)" = 300 ] || fail "level.dat is not 300 bytes"
byte() { od -An -tu1 -j "$1" -N 1 level.dat | tr -d ' '; }
for c in 1 2 3; do [ "$(byte $((c * 14 + 1)))" = 1 ] || fail "cell ($c, 1) not land"; done
[ "$(byte $((1 * 14 + 0)))" = 2 ] || fail "unsaved paint at (1, 0) was stored"
got="$(byte 196) $(byte 197) | $(byte 198) $(byte 199) $(byte 200) | $(byte 208) $(byte 209) $(byte 210) $(byte 211)"
[ "$got" = "1 1 | 3 1 255 | 0 4 0 255" ] || fail "record lists: $got"

# Playing it: right twice takes the ball, once more walks onto the platform.
printf 'frames 30 RIGHT\n' >play.txt
out=$("$game" --replay play.txt --start-level 0)
echo "play: $out"
expect "$out" balls_total 1
expect "$out" balls_left 0
expect "$out" solved 1
expect "$out" player '[160,40]'
expect "$out" platforms '[[0,160,0]]'
no_editor_messages "$out"
echo "ok"
