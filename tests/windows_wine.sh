#!/usr/bin/env bash
# The Windows build under Wine, against the Linux build: the cross-built unit tests; the data
# files the Windows tools make; yelko.exe --replay playing every shipped level's solution to the
# same JSON and the same screenshot bytes as Linux; and the real window on a virtual X server,
# checked on screenshots: the board under its menu bar, the arrow keys, grayed and enabled level
# items, the progress in the registry, a second copy, the About box, Escape, a missing sheet.
#
# Usage: windows_wine.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
# Run by `make test-windows` (not by ctest: it starts Wine and an X server of its own).
set -uo pipefail

linux=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
for tool in wine wineserver Xvfb xdotool import convert compare; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (make windows-deps)"; exit 1; }
done
for f in "$linux/game/yelko" "$linux/game/yelko-solve" "$win/game/yelko.exe" \
  "$win/game/yelko-solve.exe" "$win/game/yelko-level.exe"; do
  [ -x "$f" ] || { echo "FAIL: $f is not built"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-wine-XXXXXX")
shots=$win/wine-shots
rm -rf "$shots" && mkdir -p "$shots"
failures=0
xvfb_pid=
game_pid=

export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A null ALSA device: DirectSound opens and plays to the end, silently.
export HOME=$work/home
mkdir -p "$HOME" && printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"

W() { timeout "${WINE_TIMEOUT:-60}" wine "$@"; }

cleanup() {
  [ -z "$game_pid" ] || kill "$game_pid" 2>/dev/null
  timeout 20 wineserver -k 2>/dev/null
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Every Wine step runs with the X server's display set: a Wine session started without one
# would make every later window fail.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -1 "$work/display")

start=$(date +%s)
timeout 20 wineserver -k 2>/dev/null
timeout 60 wineserver -w 2>/dev/null
[ -f "$WINEPREFIX/system.reg" ] || timeout 120 wineboot -i >/dev/null 2>&1
# One persistent server, its output detached, so that each program starts in a blink.
wineserver -p </dev/null >/dev/null 2>&1
W cmd /c exit </dev/null >/dev/null 2>&1
# Without a window manager, Wine's own windows: no stall when a box closes.
W reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
echo "wine ready in $(($(date +%s) - start)) s"

# --- The unit tests, cross-built, one Wine start for the whole binary.
timeout 600 ctest --test-dir "$win" --output-on-failure >"$work/ctest.log" 2>&1 ||
  { cat "$work/ctest.log"; fail "the unit tests fail under Wine"; }
grep -E "tests passed|Total Test time" "$work/ctest.log"

# --- The data files the Windows tools made (the build ran them under Wine) are Linux's bytes.
for f in level1.dat level2.dat level3.dat level4.dat level5.dat pieces.bmp boats.bmp \
  walk.wav thump.wav crunch.wav bifald.wav finished.wav; do
  cmp -s "$linux/game/$f" "$win/game/$f" || fail "$f made on Windows differs from Linux's"
done
# par.txt is text: Windows ends its lines with CR LF.
[ "$(tr -d '\r' <"$win/game/par.txt")" = "$(cat "$linux/game/par.txt")" ] ||
  fail "par.txt made on Windows differs from Linux's"

# --- Every shipped level's solution, replayed by both builds: same JSON, same screenshot.
replay() {  # replay NAME PROGRAM... : runs the script in a copy of the run directory
  local dir=$work/$1
  rm -rf "$dir" && cp -r "$linux/game" "$dir"
  cp "$level" "$dir/level.dat"
  cp "$work/script.txt" "$dir/script.txt"
  (cd "$dir" && XDG_DATA_HOME=$dir/data "${@:2}" --replay script.txt --screenshot shot.bmp \
    --start-level 0 | tr -d '\r' >"$dir/out.json")
}
for n in 1 2 3 4 5; do
  level=$linux/game/level$n.dat
  "$linux/game/yelko-solve" --script "$level" >"$work/script.txt" || {
    fail "level $n: no solution"
    continue
  }
  replay lin "$linux/game/yelko"
  replay wine W "$win/game/yelko.exe"
  grep -q '"solved":1' "$work/lin/out.json" || fail "level $n: the solution does not solve it"
  cmp -s "$work/lin/out.json" "$work/wine/out.json" ||
    fail "level $n: JSON differs: $(cat "$work/lin/out.json") / $(cat "$work/wine/out.json")"
  cmp -s "$work/lin/shot.bmp" "$work/wine/shot.bmp" || fail "level $n: screenshots differ"
done
echo "replays compared for levels 1-5"
# The solver itself, on Windows: the same moves.
lin_moves=$("$linux/game/yelko-solve" "$linux/game/level3.dat" | sed 's/.*: //')
win_moves=$(cd "$win/game" && W ./yelko-solve.exe level3.dat </dev/null | tr -d '\r' | sed 's/.*: //')
[ "$lin_moves" = "$win_moves" ] || fail "yelko-solve.exe: '$win_moves', not '$lin_moves'"

# --- The real window. The game is a copy of the run directory, started from elsewhere: its
# files are found beside yelko.exe whatever the working directory.
W reg delete 'HKCU\Software\Yelko' /f >/dev/null 2>&1
rm -rf "$work/game" && cp -r "$win/game" "$work/game"
rm -f "$work/game"/*.tmp
first_frame() {  # first_frame LEVEL OUT.png: the level's first frame, from the Linux replay
  printf 'frames 1\n' >"$work/script.txt"
  level=$linux/game/level$1.dat
  replay ref "$linux/game/yelko"
  convert "$work/ref/shot.bmp" "$2"
}
first_frame 1 "$work/level1.png"
first_frame 2 "$work/level2.png"

start_game() {  # start_game LOG [CHANNELS]: the game, with Wine's window-text trace in LOG
  (cd "$work" && WINEDEBUG=-all,+win${2:-} WINE_TIMEOUT=120 W game/yelko.exe >"$1" 2>&1 \
    </dev/null) &
  game_pid=$!
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --name '^Yelko$' 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    sleep 0.2
  done
  [ -n "$wid" ]
}
shot() { import -window "$wid" "$work/$1.png"; }
# The screen over the window, menus and boxes included (they are windows of their own).
screen_shot() {
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png"
}
keep() { cp "$work/$1.png" "$shots/$1.png"; }
hold() { xdotool keydown "$1"; sleep "${2:-0.15}"; xdotool keyup "$1"; }
tap() { xdotool key "$1"; sleep "${2:-0.25}"; }
board_diff() {  # board_diff SHOT REF.png: differing pixels between the window's board and REF
  compare -metric AE \( "$work/$1.png" -crop "560x560+$bx+$by" +repage \) "$2" null: 2>&1 ||
    true
}
wait_exit() {  # wait_exit: the game's exit code, or "hung"
  for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$game_pid" 2>/dev/null; then echo hung; else
    wait "$game_pid"
    echo $?
  fi
  game_pid=
}
level_menu() {  # level_menu [DOWNS]: File > Levels open, DOWNS items below Level 1 highlighted
  tap alt+f 0.3
  tap Down 0.15
  tap Right 0.3
  for _ in $(seq "${1:-0}"); do tap Down 0.15; done
}

if start_game "$work/game.log"; then
  # Find the board in the window: the Player's row of level 1 is found once, then the whole
  # board must equal Linux's first frame to the pixel.
  convert "$work/level1.png" -crop 560x1+0+205 +repage "$work/row.png"
  bx=
  for _ in $(seq 50); do
    shot start
    at=$(compare -metric AE -subimage-search "$work/start.png" "$work/row.png" null: 2>&1 |
      sed -n 's/^0 @ \([0-9]*\),\([0-9]*\)$/\1 \2/p')
    if [ -n "$at" ]; then
      read -r bx by <<<"$at"
      by=$((by - 205))
      break
    fi
    sleep 0.2
  done
  keep start
  if [ -z "$bx" ]; then
    fail "the window never showed level 1's board"
  else
    [ "$(board_diff start "$work/level1.png")" = 0 ] || fail "the board is not Linux's level 1"
    # The menu bar: a light strip right above the board, with dark title text on it.
    light=$(convert "$work/start.png" -crop "560x16+$bx+$((by - 17))" +repage -colorspace gray \
      -format '%[fx:mean]' info:)
    dark=$(convert "$work/start.png" -crop "100x16+$bx+$((by - 17))" +repage -threshold 50% \
      -negate -format '%[fx:round(mean*w*h)]' info:)
    awk "BEGIN { exit !($light > 0.7) }" && [ "$dark" -gt 20 ] ||
      fail "no menu bar above the board (brightness $light, $dark dark pixels)"
    echo "board at $bx,$by in the window, same pixels as Linux; menu bar above"

    # A second copy brings this one forward and leaves at once.
    (cd "$work" && WINE_TIMEOUT=30 W game/yelko.exe </dev/null >/dev/null 2>&1)
    rc=$?
    [ $rc -eq 0 ] || fail "a second copy ended with $rc"
    kill -0 "$game_pid" 2>/dev/null || fail "the first copy ended when a second started"

    # Levels: Level 1 enabled, Level 2 grayed, so choosing it changes nothing.
    level_menu 0
    screen_shot menu_start && keep menu_start
    tap Down 0.15
    tap Return 0.5
    shot grayed
    [ "$(board_diff grayed "$work/level1.png")" = 0 ] || fail "the grayed Level 2 was chosen"

    # Held arrow keys move the Player; File > Reset puts him back.
    hold Right 0.4
    sleep 0.5
    shot moved
    [ "$(board_diff moved "$work/level1.png")" != 0 ] || fail "Right did not move the Player"
    tap alt+f 0.3
    tap Return 0.5
    shot reset
    [ "$(board_diff reset "$work/level1.png")" = 0 ] || fail "File > Reset did not restart"

    # Solve level 1 with single taps (a tap is never lost): seven steps right, one down.
    for _ in 1 2 3 4 5 6 7; do tap Right 0.3; done
    tap Down 1.5
    W reg query 'HKCU\Software\Yelko' /v Level >"$work/reg.txt" 2>&1
    grep -qE 'Level[[:space:]]+REG_BINARY[[:space:]]+02' "$work/reg.txt" ||
      fail "solving level 1 did not store Level 02: $(tr -d '\r' <"$work/reg.txt")"
    # Level 2 is enabled now: choosing Level 1 and then Level 2 shows each from its start.
    level_menu 1
    screen_shot menu_solved && keep menu_solved
    tap Escape 0.2
    tap Escape 0.2
    tap Escape 0.3
    level_menu 0
    tap Return 0.6
    shot chose1
    level_menu 1
    tap Return 0.6
    shot chose2
    [ "$(board_diff chose1 "$work/level1.png")" = 0 ] || fail "Levels > Level 1 did not start it"
    [ "$(board_diff chose2 "$work/level2.png")" = 0 ] || fail "Levels > Level 2 did not start it"

    # The editor (D): a click lands on the board cell under the pointer, and only there.
    tap d 0.5
    shot editor
    xdotool mousemove --window "$wid" $((bx + 60)) $((by + 100)) click 1
    sleep 0.5
    shot edited
    outside() {  # outside SHOT: the board with the clicked cell blacked out
      convert "$work/$1.png" -crop "560x560+$bx+$by" +repage -fill black \
        -draw 'rectangle 40,80 79,119' "$work/$1-out.png"
    }
    outside editor
    outside edited
    convert "$work/editor.png" -crop "560x560+$bx+$by" +repage "$work/editor-board.png"
    [ "$(board_diff edited "$work/editor-board.png")" != 0 ] &&
      [ "$(compare -metric AE "$work/editor-out.png" "$work/edited-out.png" null: 2>&1)" = 0 ] ||
      fail "the editor click did not change exactly the cell under the pointer"
    tap Return 0.5

    # The About box, from the resource, closed with Enter.
    tap alt+h 0.3
    tap Return 0.8
    screen_shot about && keep about
    grep -q 'set_window_text L"Version 1.0"' "$work/game.log" || fail "no About box"
    tap Return 0.5
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended with the About box"
  fi
  hold Escape 0.3
  rc=$(wait_exit)
  [ "$rc" = 0 ] || fail "Escape: exit code $rc"
  W reg query 'HKCU\Software\Yelko' /v Window >/dev/null 2>&1 ||
    fail "the window's place was not remembered"
else
  fail "no game window"
fi

# A missing sheet: the "Ingen pieces" box, owned by the game window, then play goes on. Sound
# (to the null device) is traced here: the five effects become DirectSound buffers, one plays.
rm "$work/game/pieces.bmp"
if start_game "$work/nopieces.log" ,+dsound; then
  for _ in $(seq 50); do
    grep -q 'set_window_text L"Ingen pieces"' "$work/nopieces.log" && break
    sleep 0.2
  done
  grep -q 'set_window_text L"Ingen pieces"' "$work/nopieces.log" || fail "no Ingen pieces box"
  sleep 0.3
  screen_shot nopieces && keep nopieces
  tap Return 0.5
  hold Escape 0.3
  rc=$(wait_exit)
  [ "$rc" = 0 ] || fail "Escape after the box: exit code $rc"
  buffers=$(grep -c 'trace:dsound:DirectSoundDevice_CreateSoundBuffer (bufferbytes=' \
    "$work/nopieces.log")
  [ "$buffers" = 5 ] && grep -q 'trace:dsound:IDirectSoundBufferImpl_Play' "$work/nopieces.log" ||
    fail "DirectSound: $buffers buffers made, or none played"
else
  fail "no game window without pieces.bmp"
fi

echo "Windows part: $(($(date +%s) - start)) s; screenshots in $shots"
[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
