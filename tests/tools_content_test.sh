#!/bin/bash
# The content tools as the build and level authors run them: every tool writes the same bytes
# on every run (and the same as the run directory holds), and yelko-level reports refusals
# with the file and line and reads any file without failing.
# Arguments: the build directory and the source directory.
set -u
build=$1
source=$2
game=$build/game
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for tool in yelko-art yelko-sounds yelko-level; do
  [ -x "$game/$tool" ] || { echo "FAIL: $game/$tool missing; build the default target"; exit 1; }
done

# Deterministic: two runs into fresh directories agree with each other and with the build.
for run in a b; do
  mkdir -p "$work/$run"
  "$game/yelko-art" "$work/$run" || fail "yelko-art run $run"
  "$game/yelko-sounds" "$work/$run" || fail "yelko-sounds run $run"
  for n in 1 2 3 4 5; do
    "$game/yelko-level" compile "$source/levels/level$n.txt" "$work/$run/level$n.dat" ||
      fail "compiling level $n"
  done
done
for f in pieces.bmp boats.bmp walk.wav thump.wav crunch.wav bifald.wav finished.wav \
  level1.dat level2.dat level3.dat level4.dat level5.dat; do
  cmp -s "$work/a/$f" "$work/b/$f" || fail "$f differs between two runs"
  cmp -s "$work/a/$f" "$game/$f" || fail "$f differs from the run directory's"
done

# A refusal names the file and the line, exits 1 and writes nothing.
{
  sed -n '/^map$/,+14p' "$source/levels/level1.txt"
  echo "player 3 5"
  echo "platform 4 13 2"
} >"$work/bad.txt"
"$game/yelko-level" compile "$work/bad.txt" "$work/bad.dat" 2>"$work/err"
status=$?
[ $status -eq 1 ] || fail "a bad level exits $status, not 1"
grep -q "^$work/bad.txt:17: platform type 4 at (13, 2) reaches off the board" "$work/err" ||
  fail "refusal message: $(cat "$work/err")"
[ ! -e "$work/bad.dat" ] || fail "a refused level still wrote its file"
"$game/yelko-level" compile "$work/missing.txt" "$work/x.dat" 2>/dev/null
[ $? -eq 1 ] || fail "a missing source does not exit 1"
"$game/yelko-level" frobnicate 2>/dev/null
[ $? -eq 2 ] || fail "wrong usage does not exit 2"

# Decompiling reads any file: empty, short, exact, long, a directory refused cleanly.
: >"$work/empty.dat"
head -c 150 "$game/level2.dat" >"$work/short.dat"
{ cat "$game/level2.dat"; head -c 700 /dev/zero; } >"$work/long.dat"
head -c 300 /dev/urandom >"$work/noise.dat"
for f in empty short long noise; do
  "$game/yelko-level" decompile "$work/$f.dat" >"$work/$f.txt" || fail "decompiling $f.dat"
done
grep -q "This file is 0 bytes" "$work/empty.txt" || fail "empty file not reported"
grep -q "This file is 1000 bytes, not 300" "$work/long.txt" || fail "long file not reported"
grep -E '^.{14}  # row 13$' "$work/short.txt" | grep -q '?' || fail "short file's missing bytes not shown"
"$game/yelko-level" decompile "$work" >/dev/null 2>&1
[ $? -eq 1 ] || fail "decompiling a directory does not exit 1"

# The text of a shipped level compiles back to its file; so does the text written to a file.
"$game/yelko-level" decompile "$game/level4.dat" "$work/l4.txt" || fail "decompile to a file"
"$game/yelko-level" compile "$work/l4.txt" "$work/l4.dat" || fail "recompiling level 4"
cmp -s "$work/l4.dat" "$game/level4.dat" || fail "level 4 does not survive a round trip"

# The preview draws a level with the banner.
"$game/yelko-art" --preview "$game/level1.dat" "$work/p.bmp" banner || fail "preview"
[ "$(head -c 2 "$work/p.bmp")" = BM ] || fail "preview is not a bitmap"

[ $failures -eq 0 ] && echo "all content tool checks passed"
exit $((failures > 0))
