#!/usr/bin/env bash
# Valgrind's memcheck over the game playing every shipped level's solution (from yelko-solve),
# and over one session of the editor, the menus and the About box: no memory error and no leak.
#
#   robust_valgrind_test.sh BUILD_DIR SOURCE_DIR
#
# Valgrind cannot run a sanitizer build, so such a build skips this test (it is labelled
# no-asan as well).
set -uo pipefail
source "$(dirname "$0")/script_support.sh"
if grep -qE '^YELKO_(SANITIZE|FUZZ):BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null; then
  echo "skipped: $1 is a sanitizer build"
  exit 0
fi
begin valgrind "$1/game"
need valgrind "$game/yelko" "$game/yelko-solve"
# The run directory's data, copied so that the editor's saves stay here.
cp "$game"/level*.dat "$game"/*.bmp "$game"/*.wav "$work"/
cd "$work"

# memcheck SCRIPT ARGS...: runs the game's replay under memcheck; prints its report line.
memcheck() {
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --log-file="$1.valgrind" "$game/yelko" --replay "$@" >"$1.json" 2>&1 ||
    fail "memcheck of $*: $(cat "$1.valgrind" "$1.json")"
  echo "$1: clean: $(cat "$1.json")"
}

for n in 1 2 3 4 5; do
  "$game/yelko-solve" --script "level$n.dat" >"solve$n.replay" || fail "no solution of level $n"
  memcheck "solve$n.replay" --start-level "$n"
done

# The editor (paint, place every object, save, load), the menus, the About box, a restart, then
# level 1 solved from the menu (the progress is read and written, the banner drawn) and Escape.
{
  printf '%s\n' 'frames 5 RIGHT' 'frames 1 D' 'frames 2' 'click left 100 100' 'click left 140 100' \
    'click right 100 100' 'click right 140 100' 'click right 140 100' 'frames 3' 'frames 2 S' \
    'frames 1 L' 'frames 1 ENTER' 'menu 4' 'menu 5' 'frames 20 DOWN' 'menu 22' 'frames 10 R' \
    'frames 30 LEFT' 'menu 21'
  cat solve1.replay
  printf 'frames 70\nframes 2 ESCAPE\n'
} >session.replay
memcheck session.replay
echo "valgrind: the five level solutions and one editor session checked"
