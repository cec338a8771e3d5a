#!/usr/bin/env bash
# Valgrind's memcheck over the game playing every shipped level's solution (from yelko-solve),
# and over one session of the editor, the menus and the About box: no memory error and no leak.
#
#   robust_valgrind_test.sh BUILD_DIR SOURCE_DIR
#
# Valgrind cannot run a sanitizer build, so such a build skips this test (it is labelled
# no-asan as well).
set -u
build=$1
game="$build/game"
if grep -qE '^YELKO_(SANITIZE|FUZZ):BOOL=ON' "$build/CMakeCache.txt" 2>/dev/null; then
  echo "skipped: $build is a sanitizer build"
  exit 0
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed (make deps)" >&2; exit 1; }
[ -x "$game/yelko" ] || { echo "no game at $game/yelko" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-valgrind-XXXXXX")
trap 'rm -rf "$work"' EXIT
# The run directory's data, copied so that the editor's saves stay here.
cp "$game"/level*.dat "$work"/
cp "$game"/*.bmp "$game"/*.wav "$work"/ 2>/dev/null
cd "$work" || exit 1
export XDG_DATA_HOME="$work/data" HOME="$work"

failed=0
# memcheck SCRIPT ARGS...: runs the game's replay under memcheck; prints its report line.
memcheck() {
  local script=$1
  shift
  if ! valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --log-file="$script.valgrind" "$game/yelko" --replay "$script" "$@" >"$script.json" 2>&1; then
    echo "FAIL: $script $*" >&2
    cat "$script.valgrind" "$script.json" >&2
    failed=1
    return 1
  fi
  echo "$script: clean: $(cat "$script.json")"
}

levels=0
for file in level[0-9]*.dat; do
  n=${file#level}
  n=${n%.dat}
  if [ -x "$game/yelko-solve" ]; then
    "$game/yelko-solve" --script "$file" >"solve$n.replay" ||
      { echo "FAIL: yelko-solve found no solution of $file" >&2; failed=1; continue; }
  else
    # Without the solver: a walk in every direction stands in for the solution.
    printf 'frames 60 RIGHT\nframes 60 DOWN\nframes 60 LEFT\nframes 60 UP\n' >"solve$n.replay"
  fi
  memcheck "solve$n.replay" --start-level "$n" && levels=$((levels + 1))
done

# The editor (paint, place every object, save, load), the menus, the About box, a restart, then
# level 1 solved from the menu (the progress is read and written, the banner drawn) and Escape.
cat >session.replay <<'EOF'
frames 5 RIGHT
frames 1 D
frames 2
click left 100 100
click left 140 100
click right 100 100
click right 140 100
click right 140 100
frames 3
frames 2 S
frames 1 L
frames 1 ENTER
menu 4
menu 5
frames 20 DOWN
menu 22
frames 10 R
frames 30 LEFT
menu 21
EOF
cat solve1.replay >>session.replay
printf 'frames 70\nframes 2 ESCAPE\n' >>session.replay
memcheck session.replay

[ "$levels" -gt 0 ] || { echo "FAIL: no level was checked" >&2; failed=1; }
echo "valgrind: $levels level solutions and one editor session checked"
exit $failed
