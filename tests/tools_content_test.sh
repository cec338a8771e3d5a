#!/usr/bin/env bash
# The content tools as the build and level authors run them: run again into a fresh directory,
# every tool writes the very bytes the run directory holds (output that depends on the run, or
# a tool that drifted from what the build made, fails here); yelko-level reports refusals with
# the file and line and writes nothing then, reads any file without failing, and a shipped
# level survives a round trip through its text; the shipped levels and collection survive a
# round trip through pack and unpack, and a collection's broken level is reported while the
# game plays its good ones.
# Arguments: the build directory and the source directory.
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin tools "$1/game"
source=$(cd "$2" && pwd)
level=$game/yelko-level
need "$game/yelko-art" "$game/yelko-sounds" "$level"

mkdir "$work/out"
"$game/yelko-art" "$work/out" || fail "yelko-art failed"
"$game/yelko-sounds" "$work/out" || fail "yelko-sounds failed"
for n in 1 2 3 4 5; do
  "$level" compile "$source/levels/level$n.txt" "$work/out/level$n.dat" || fail "compiling level $n"
done
for f in pieces.bmp boats.bmp walk.wav thump.wav crunch.wav bifald.wav finished.wav \
  level1.dat level2.dat level3.dat level4.dat level5.dat; do
  cmp -s "$work/out/$f" "$game/$f" || fail "$f made again differs from the run directory's"
done

# A refusal names the file and the line, exits 1 and writes nothing.
{ sed -n '/^map$/,+14p' "$source/levels/level1.txt"; printf 'player 3 5\nplatform 4 13 2\n'; } \
  >"$work/bad.txt"
expect_exit 1 "^$work/bad.txt:17: platform type 4 at \(13, 2\) reaches off the board" \
  "$level" compile "$work/bad.txt" "$work/bad.dat"
[ ! -e "$work/bad.dat" ] || fail "a refused level still wrote its file"
expect_exit 1 . "$level" compile "$work/missing.txt" "$work/x.dat"
expect_exit 2 . "$level" frobnicate
# A puzzle is written where asked; a folder that is not there is said before any is made.
"$game/yelko-generate" --difficulty easy --seed 1 --out "$work/out" >/dev/null ||
  fail "yelko-generate failed"
[ -s "$work/out/easy-00001.dat" ] || fail "yelko-generate wrote no level"
expect_exit 2 "no folder $work/none" "$game/yelko-generate" --difficulty expert --seed 1 --out "$work/none"
expect_exit 1 . "$level" decompile "$work"

# Decompiling reads any file: each case is a file and what its text must say about it.
: >"$work/empty.dat"
head -c 150 "$game/level2.dat" >"$work/short.dat"
{ cat "$game/level2.dat"; head -c 700 /dev/zero; } >"$work/long.dat"
head -c 300 /dev/urandom >"$work/noise.dat"
for case in 'empty:This file is 0 bytes' 'long:This file is 1000 bytes, not 300' \
  'short:^[^?]{10}\?{4}  # row 13$' 'noise:# row 13$'; do
  expect_exit 0 "${case#*:}" "$level" decompile "$work/${case%%:*}.dat"
done

# The text of a shipped level, written to a file, compiles back to the same bytes.
"$level" decompile "$game/level4.dat" "$work/l4.txt" || fail "decompiling to a file"
"$level" compile "$work/l4.txt" "$work/l4.dat" || fail "recompiling level 4"
cmp -s "$work/l4.dat" "$game/level4.dat" || fail "level 4 does not survive a round trip"

# pack and unpack give back the shipped levels byte for byte, and the collection's levels too;
# unpack writes again only what is the same, and refuses (writing nothing) over a changed file.
"$level" pack "$work/five.txt" "$source"/levels/level{1,2,3,4,5}.txt >/dev/null || fail "pack"
"$level" unpack "$work/five.txt" "$work/five" >/dev/null || fail "unpack"
for n in 1 2 3 4 5; do
  cmp -s "$source/levels/level$n.txt" "$work/five/0$n-"*.txt || fail "level $n: pack/unpack differs"
done
islands=$source/levels/islands.txt
"$level" unpack "$islands" "$work/isl" >/dev/null || fail "unpacking the collection"
"$level" pack --title "$(sed -n 's/^title //p' "$islands")"   --author "$(sed -n 's/^author //p' "$islands")" "$work/isl.txt" "$work/isl"/*.txt >/dev/null ||
  fail "packing the collection again"
cmp -s "$work/isl.txt" <(sed '/^level /,$!{/^#/d;/^$/d}' "$islands") ||
  fail "the collection does not survive unpack and pack"
expect_exit 0 '0 written, 5 already there' "$level" unpack "$work/five.txt" "$work/five"
echo >>"$work/five/03-round-the-point.txt"
rm "$work/five/05-the-long-voyage.txt"
expect_exit 1 '03-round-the-point.txt: already there and different' \
  "$level" unpack "$work/five.txt" "$work/five"
[ ! -e "$work/five/05-the-long-voyage.txt" ] || fail "unpack wrote beside a refusal"

# A collection with a broken level between two good ones (one a level file, named by it):
# check names what is wrong with its line and fails; the game plays the good levels.
{ printf 'title Mixed\n\nlevel One\n'; cat "$source/levels/level1.txt"
  printf 'level Broken\nmap\nplayer 1 1\n'; } >"$work/mixed.txt"
"$level" pack "$work/tail.txt" "$game/level2.dat" >/dev/null || fail "packing a level file"
sed 1,/^level/d "$work/tail.txt" | sed '1i level level2' >>"$work/mixed.txt"
expect_exit 1 '^1 One: ok, par 8 \(1 carries, 1 platforms moved\)
2 Broken: .*/mixed.txt:[0-9]+: .*
3 level2: ok, par 24 ' "$level" check "$work/mixed.txt"
mkdir "$work/run"
"$game/yelko-solve" --script "$game/level2.dat" >"$work/run/s.txt" || fail "no script for level 2"
for start in 1 3; do
  json=$(cd "$work/run" && cp "$game"/*.{bmp,wav,dat,txt} . &&
    "$game/yelko" --replay s.txt --collection "$work/mixed.txt" --start-level $start) ||
    fail "the mixed collection at level $start"
  expect "$json" collection '"Mixed"'
  [ $start = 1 ] && expect "$json" name '"One"' || { expect "$json" name '"level2"'; expect "$json" solved 1; }
done

# The preview draws a level with the banner.
"$game/yelko-art" --preview "$game/level1.dat" "$work/p.bmp" banner || fail "preview"
[ "$(head -c 2 "$work/p.bmp")" = BM ] || fail "preview is not a bitmap"
echo "all content tool checks passed"
