#!/usr/bin/env bash
# The game installed into a fresh prefix (cmake --install): started from another folder, it
# finds its data in share/yelko beside bin/, solves level 1 with its pictures, keeps the player's
# best result in the XDG data folder and opens the shipped collection; every program tells the
# build's version; the desktop entry and AppStream file are valid and name a program and icons
# that were installed.
#
# Usage: install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
source "$(dirname "$0")/script_support.sh"
begin install "$1/game"
need desktop-file-validate appstreamcli identify "$game/yelko-solve"
prefix=$work/prefix
cmake --install "$1" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install: $(cat "$work/install.log")"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
for program in yelko yelko-solve yelko-level yelko-generate; do
  [ "$("$prefix/bin/$program" --version)" = "$program $version" ] ||
    fail "$program --version does not say $version"
done

script=$("$game/yelko-solve" --script "$game/level1.dat") || fail "level 1: no solution"
replay "$game/level1.dat" "$script" build
mkdir "$work/elsewhere"
printf '%s\n' "$script" >"$work/elsewhere/script.txt"
json=$(cd "$work/elsewhere" && "$prefix/bin/yelko" --replay script.txt --screenshot shot.bmp \
  2>"$work/stderr") || fail "the installed game failed"
expect "$json" solved 1
cmp -s "$work/elsewhere/shot.bmp" "$work/build.bmp" || fail "the installed game's last frame differs"
[ -s "$XDG_DATA_HOME/yelko/Best" ] || fail "the best result was not kept in \$XDG_DATA_HOME/yelko"
# The shipped collection lies in the data folder's collections/, where the game opens it.
json=$(cd "$work/elsewhere" && "$prefix/bin/yelko" --replay script.txt \
  --collection "$prefix/share/yelko/collections/islands.txt" 2>"$work/stderr") ||
  fail "the installed game did not open the collection"
expect "$json" collection '"Islands"'

desktop=$prefix/share/applications/yelko.desktop
desktop-file-validate "$desktop" >"$work/check.log" 2>&1 || fail "$(cat "$work/check.log")"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml >"$work/check.log" 2>&1 ||
  fail "$(cat "$work/check.log")"
[ -x "$prefix/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ] || fail "the desktop entry's Exec is not installed"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for side in 16 22 24 32 48 64 128 256 512; do
  size=$(identify -format %wx%h "$prefix/share/icons/hicolor/${side}x$side/apps/$icon.png" 2>&1)
  [ "$size" = "${side}x$side" ] || fail "icon $side: $size"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || fail "no scalable icon"
echo "passed"
