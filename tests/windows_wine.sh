#!/usr/bin/env bash
# The Windows build under Wine, against the Linux build: the cross-built unit tests; the data
# files the Windows tools make; yelko.exe --replay playing every shipped level's solution to the
# same JSON and the same screenshot bytes as Linux; and the real window on a virtual X server,
# checked on screenshots: the board under its menu bar, the arrow keys, grayed and enabled level
# items, the progress in the registry, a second copy, the About box, Escape, a missing sheet;
# and the installer: a silent install, the installed game, the uninstaller.
#
# Usage: windows_wine.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR
# Run by `make test-windows` (not by ctest: it starts Wine and an X server of its own).
set -uo pipefail
source "$(dirname "$0")/script_support.sh"
begin wine "$1/game"
win=$(cd "$2" && pwd)
keep_shots=$win/wine-shots
rm -rf "$keep_shots"
need wine wineserver winepath Xvfb xdotool import convert compare "$game/yelko" "$game/yelko-solve" \
  "$win/game/yelko.exe" "$win/game/yelko-solve.exe" "$win/game/yelko-level.exe"

export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A null ALSA device: DirectSound opens and plays to the end, silently.
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"
W() { timeout "${WINE_TIMEOUT:-60}" wine "$@"; }
on_exit() { timeout 20 wineserver -k 2>/dev/null; }

# Every Wine step runs with the X server's display set: a Wine session started without one
# would make every later window fail.
start_xvfb 1280x1024x24
start=$(date +%s)
timeout 20 wineserver -k 2>/dev/null
timeout 60 wineserver -w 2>/dev/null
[ -f "$WINEPREFIX/system.reg" ] || timeout 120 wineboot -i >/dev/null 2>&1
# One persistent server, its output detached, so that each program starts in a blink.
wineserver -p </dev/null >/dev/null 2>&1
W cmd /c exit </dev/null >/dev/null 2>&1
# Without a window manager, Wine's own windows: no stall when a box closes.
W reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

# --- The unit tests, cross-built, one Wine start for the whole binary.
timeout 600 ctest --test-dir "$win" --output-on-failure >"$work/ctest.log" 2>&1 ||
  fail "the unit tests fail under Wine: $(cat "$work/ctest.log")"

# --- The data files the Windows tools made (the build ran them under Wine) are Linux's bytes;
# par.txt (yelko-solve.exe's shortest solutions) is text, and Windows ends its lines with CR LF.
for f in level1.dat level2.dat level3.dat level4.dat level5.dat pieces.bmp boats.bmp \
  walk.wav thump.wav crunch.wav bifald.wav finished.wav; do
  cmp -s "$game/$f" "$win/game/$f" || fail "$f made on Windows differs from Linux's"
done
[ "$(tr -d '\r' <"$win/game/par.txt")" = "$(cat "$game/par.txt")" ] ||
  fail "par.txt made on Windows differs from Linux's"

# --- Every shipped level's solution, replayed by both builds: same JSON, same screenshot.
for n in 1 2 3 4 5; do
  level=$game/level$n.dat
  script=$("$game/yelko-solve" --script "$level") || fail "level $n: no solution"
  replay "$level" "$script" lin
  replay "$level" "$script" wine W "$win/game/yelko.exe"
  grep -q '"solved":1' "$work/lin.json" || fail "level $n: the solution does not solve it"
  cmp -s "$work/lin.json" "$work/wine.json" ||
    fail "level $n: JSON differs: $(cat "$work/lin.json") / $(cat "$work/wine.json")"
  cmp -s "$work/lin.bmp" "$work/wine.bmp" || fail "level $n: screenshots differ"
done

# --- The real window. The game is a copy of the run directory, started from elsewhere: its
# files are found beside yelko.exe whatever the working directory. The first frames of levels
# 1 and 2, from the Linux replay, are what its board must show.
W reg delete 'HKCU\Software\Yelko' /f >/dev/null 2>&1
# Whole pixels only: the board at 1x, to be compared with Linux's pixel for pixel.
W reg add 'HKCU\Software\Yelko' /v WholePixels /t REG_BINARY /d 01 /f >/dev/null 2>&1
cp -r "$win/game" "$work/game"
rm -f "$work/game"/*.tmp
for n in 1 2; do
  replay "$game/level$n.dat" 'frames 1\n' ref
  convert "$work/ref.bmp" "$work/level$n.png"
done

start_game() {  # start_game LOG [CHANNELS]: the game, with Wine's window-text trace in LOG
  (cd "$work" && WINEDEBUG=-all,+win${2:-} WINE_TIMEOUT=120 W game/yelko.exe >"$1" 2>&1 \
    </dev/null) &
  game_pid=$!
  started+=("$game_pid")
  find_window "$game_pid"
}
board_diff() {  # board_diff SHOT REF.png: differing pixels between the window's board and REF
  compare -metric AE \( "$work/$1.png" -crop "560x560+$bx+$by" +repage \) "$2" null: 2>&1
}
is_level() {  # is_level N SHOT WHAT: SHOT's board is level N's first frame, or fail says WHAT
  shot "$2"
  [ "$(board_diff "$2" "$work/level$1.png")" = 0 ] || fail "$3"
}
level_menu() {  # level_menu [DOWNS]: File > Levels open, DOWNS items below Level 1 highlighted
  tap alt+f 0.3
  tap Down 0.15
  tap Right 0.3
  for _ in $(seq "${1:-0}"); do tap Down 0.15; done
}

find_board() {  # find_board SHOT: the window shows level 1's board, at ($bx, $by)
  # The Player's row of level 1 is found once, then the whole board must equal Linux's first
  # frame to the pixel.
  convert "$work/level1.png" -crop 560x1+0+205 +repage "$work/row.png"
  for _ in $(seq 50); do
    shot "$1"
    at=$(compare -metric AE -subimage-search "$work/$1.png" "$work/row.png" null: 2>&1 |
      sed -n 's/^0 @ \([0-9]*\),\([0-9]*\)$/\1 \2/p')
    [ -n "$at" ] && break
    sleep 0.2
  done
  [ -n "$at" ] || fail "the window never showed level 1's board"
  read -r bx by <<<"$at"
  by=$((by - 205))
  is_level 1 "$1" "the board is not Linux's level 1"
}

start_game "$work/game.log"
find_board start

# A second copy brings this one forward and leaves at once.
(cd "$work" && WINE_TIMEOUT=30 W game/yelko.exe </dev/null >/dev/null 2>&1) ||
  fail "a second copy ended with $?"
kill -0 "$game_pid" 2>/dev/null || fail "the first copy ended when a second started"

# Levels: Level 1 enabled, Level 2 grayed, so choosing it changes nothing.
level_menu 1
tap Return 0.5
is_level 1 grayed "the grayed Level 2 was chosen"

# Held arrow keys move the Player; File > Reset puts him back.
hold Right 0.4
sleep 0.5
shot moved
[ "$(board_diff moved "$work/level1.png")" != 0 ] || fail "Right did not move the Player"
tap alt+f 0.3
tap Return 0.5
is_level 1 reset "File > Reset did not restart"

# Solve level 1 with single taps (a tap is never lost): seven steps right, one down. The
# progress lands in the registry, and Level 2 is enabled: choosing Level 1 and then Level 2
# shows each from its start.
for _ in 1 2 3 4 5 6 7; do tap Right 0.3; done
tap Down 1.5
W reg query 'HKCU\Software\Yelko' /v Level >"$work/reg.txt" 2>&1
grep -qE 'Level[[:space:]]+REG_BINARY[[:space:]]+02' "$work/reg.txt" ||
  fail "solving level 1 did not store Level 02: $(tr -d '\r' <"$work/reg.txt")"
for n in 1 2; do
  level_menu $((n - 1))
  tap Return 0.6
  is_level "$n" "chose$n" "Levels > Level $n did not start it"
done

# The editor (D): a click lands on the board cell under the pointer, and only there.
tap d 0.5
shot editor
click $((bx + 60)) $((by + 100))
shot edited
for s in editor edited; do  # the board with the clicked cell blacked out
  convert "$work/$s.png" -crop "560x560+$bx+$by" +repage -fill black \
    -draw 'rectangle 40,80 79,119' "$work/$s-out.png"
done
convert "$work/editor.png" -crop "560x560+$bx+$by" +repage "$work/editor-board.png"
[ "$(board_diff edited "$work/editor-board.png")" != 0 ] &&
  [ "$(compare -metric AE "$work/editor-out.png" "$work/edited-out.png" null: 2>&1)" = 0 ] ||
  fail "the editor click did not change exactly the cell under the pointer"
tap Return 0.5

# Help > How to play, made in memory, and the About box, from the resource, each closed with
# Enter; Escape then ends the game, which remembers its window's place.
tap alt+h 0.3
tap Return 0.8
grep -q 'set_window_text L"How to play Yelko ' "$work/game.log" || fail "no How to play box"
tap Return 0.5
tap alt+h 0.3
tap Down 0.15
tap Return 0.8
grep -q 'set_window_text L"Version 1.0"' "$work/game.log" || fail "no About box"
tap Return 0.5
kill -0 "$game_pid" 2>/dev/null || fail "the game ended with the About box"
escape_ends
W reg query 'HKCU\Software\Yelko' /v Window >/dev/null 2>&1 ||
  fail "the window's place was not remembered"

# A missing sheet: the "Ingen pieces" box, owned by the game window, then play goes on. Sound
# (to the null device) is traced here: the five effects become DirectSound buffers, one plays.
rm "$work/game/pieces.bmp"
start_game "$work/nopieces.log" ,+dsound
for _ in $(seq 50); do
  grep -q 'set_window_text L"Ingen pieces"' "$work/nopieces.log" && break
  sleep 0.2
done
grep -q 'set_window_text L"Ingen pieces"' "$work/nopieces.log" || fail "no Ingen pieces box"
sleep 0.3
tap Return 0.5
escape_ends
buffers=$(grep -c 'trace:dsound:DirectSoundDevice_CreateSoundBuffer (bufferbytes=' \
  "$work/nopieces.log")
[ "$buffers" = 5 ] && grep -q 'trace:dsound:IDirectSoundBufferImpl_Play' "$work/nopieces.log" ||
  fail "DirectSound: $buffers buffers made, or none played"
# --- The installer, silent, for this player alone: the program in
# %LOCALAPPDATA%\Programs\Yelko with a Start menu shortcut and an entry in Apps & features. The
# installed game solves level 1 from another folder and opens its window; the uninstaller then
# removes the program and keeps the player's saved values.
W reg delete 'HKCU\Software\Yelko' /f >/dev/null 2>&1
W "$(ls "$win"/yelko-*-setup.exe)" /S || fail "the installer failed"
W cmd /c 'echo %LOCALAPPDATA%\Programs\Yelko& echo %APPDATA%\Microsoft\Windows\Start Menu\Programs\Yelko.lnk' \
  >"$work/paths.txt" 2>/dev/null </dev/null
mapfile -t paths < <(tr -d '\r' <"$work/paths.txt" | while read -r p; do winepath -u "$p" 2>/dev/null; done)
installed=${paths[0]}
[ -f "$installed/yelko.exe" ] && [ -f "$installed/level1.dat" ] || fail "nothing installed in $installed"
[ -f "${paths[1]}" ] || fail "no Start menu shortcut"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Yelko'
W reg query "$uninstall_key" /v DisplayVersion >"$work/reg.txt" 2>&1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win/CMakeCache.txt")
grep -q "REG_SZ[[:space:]]*$version" "$work/reg.txt" || fail "no entry in Apps & features for $version"
# Whole pixels, so that the first window's board can be compared with Linux's to the pixel.
W reg add 'HKCU\Software\Yelko' /v WholePixels /t REG_BINARY /d 01 /f >/dev/null 2>&1
mkdir "$work/elsewhere"
replay "$game/level1.dat" "$("$game/yelko-solve" --script "$game/level1.dat")" lin1
cp "$work/replay-lin1/script.txt" "$work/elsewhere/"
(cd "$work/elsewhere" && W "$installed/yelko.exe" --replay script.txt --screenshot shot.bmp \
  </dev/null | tr -d '\r' >"$work/installed.json") || fail "the installed game's replay failed"
expect "$(cat "$work/installed.json")" solved 1
cmp -s "$work/elsewhere/shot.bmp" "$work/lin1.bmp" || fail "the installed game's last frame differs"
(cd "$work/elsewhere" && WINE_TIMEOUT=60 W "$installed/yelko.exe" </dev/null >/dev/null 2>&1) &
game_pid=$!
started+=("$game_pid")
find_window "$game_pid"
find_board installed
escape_ends
W "$installed/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 100); do [ -e "$installed" ] || break; sleep 0.2; done  # it runs from a copy
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed")"
[ ! -e "${paths[1]}" ] || fail "the uninstaller left the Start menu shortcut"
! W reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstaller left its Apps & features entry"
W reg query 'HKCU\Software\Yelko' /v Window >/dev/null 2>&1 || fail "the uninstaller removed the player's values"
# Asked to (Uninstall, then Yes), it removes the player's values and editor level, but never the
# player's own collections, nor the folder that holds them.
W "$(ls "$win"/yelko-*-setup.exe)" /S || fail "the installer failed a second time"
data=$(dirname "$(dirname "$installed")")/Yelko
mkdir -p "$data/collections" && echo 'title Mine' >"$data/collections/mine.txt"
printf x >"$data/level.dat"
(WINE_TIMEOUT=60 W "$installed/uninstall.exe" >/dev/null 2>&1 &)
uninstaller() {  # uninstaller COUNT: the newest of the uninstaller's windows once there are COUNT
  for _ in $(seq 150); do
    local ids
    ids=$(xdotool search --onlyvisible --name '^Yelko Uninstall' 2>/dev/null | sort -n)
    [ "$(wc -w <<<"$ids")" = "$1" ] && tail -1 <<<"$ids" && return 0
    sleep 0.2
  done
  return 1
}
w=$(uninstaller 1) || fail "the uninstaller showed no window"
xdotool key --window "$w" Return
w=$(uninstaller 2) || fail "the uninstaller did not ask about the player's data"
xdotool key --window "$w" y
for _ in $(seq 100); do [ -e "$installed" ] || [ -e "$data/level.dat" ] || break; sleep 0.2; done
w=$(uninstaller 1) && xdotool key --window "$w" Return  # Close, on its last page
[ ! -e "$data/level.dat" ] && [ ! -e "$installed" ] || fail "asked to, the uninstaller left level.dat"
[ -f "$data/collections/mine.txt" ] || fail "the uninstaller removed the player's collections"
! W reg query 'HKCU\Software\Yelko' >/dev/null 2>&1 || fail "asked to, the uninstaller left the values"

echo "all passed in $(($(date +%s) - start)) s"
