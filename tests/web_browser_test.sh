#!/usr/bin/env bash
# The browser build in headless Chromium: web_browser.mjs plays the page; this script makes the
# frames it must show with the headless replay runner of the native build, from the same data.
#
# Usage: web_browser_test.sh BUILD_DIR SOURCE_DIR PAGE_DIR  (make test-web passes all three)
# ctest passes only the first two: the page is then tested by make test-web, not here.
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "skipped: the page is tested by make test-web"
  exit 0
fi
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
page=$(cd "$3" && pwd)
game=$build/game
: "${YELKO_WEB_TOOLS:?set YELKO_WEB_TOOLS to the folder holding node_modules/puppeteer-core}"
for f in "$game/yelko" "$game/yelko-solve" "$page/index.html" "$page/index.wasm"; do
  [ -e "$f" ] || { echo "FAIL: $f is missing"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-web-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data

# The page's weight before the sounds.
bytes=$(cat "$page"/index.* "$page"/favicon.* | wc -c)
sounds=$(cat "$game"/*.wav | wc -c)
echo "page: $((bytes - sounds)) bytes before the sounds ($bytes with them)"
[ $((bytes - sounds)) -le 1000000 ] || { echo "FAIL: the page weighs more than 1 MB"; exit 1; }

# replay LEVEL_FILE SCRIPT_TEXT OUT.bmp: the frame the replay runner ends on.
replay() {
  local dir=$work/replay
  rm -rf "$dir" && cp -r "$game" "$dir"
  cp "$1" "$dir/level.dat"
  printf '%b' "$2" >"$dir/script.txt"
  (cd "$dir" && ./yelko --replay script.txt --screenshot "$work/$3" --start-level 0 >/dev/null)
}
"$game/yelko-solve" "$game/level1.dat" | sed 's/.*: //' >"$work/solution.txt"
"$game/yelko-solve" "$game/level2.dat" | sed 's/.*: //' | cut -c1 >"$work/first2.txt"
name() { case $1 in L) echo LEFT ;; R) echo RIGHT ;; U) echo UP ;; D) echo DOWN ;; esac; }
first=$(name "$(cut -c1 "$work/solution.txt")")
replay "$game/level1.dat" 'frames 30\n' start1.bmp
replay "$game/level2.dat" 'frames 30\n' start2.bmp
replay "$game/level1.dat" "frames 30\nframes 1 $first\nframes 30\n" moved1.bmp
"$game/yelko-solve" --script "$game/level1.dat" >"$work/solve.txt"
replay "$game/level1.dat" "$(cat "$work/solve.txt")\nframes 120\n" solved1.bmp
replay "$game/level1.dat" 'frames 30\nframes 1 D\nframes 10\nclick left 100 100\nframes 10\nclick right 260 180\nframes 10\n' touched.bmp
cp "$game/level3.dat" "$work/opened.dat"
replay "$work/opened.dat" 'frames 30\n' opened.bmp

start=$(date +%s)
status=0
timeout 300 node "$source/tests/web_browser.mjs" "$page" "$work" || status=$?
echo "browser test: $(($(date +%s) - start)) s"
mkdir -p "$build/web_shots"
cp "$work"/*.png "$build/web_shots/" 2>/dev/null || true
exit $status
