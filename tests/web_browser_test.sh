#!/usr/bin/env bash
# The browser build in headless Chromium: web_browser.mjs plays the page; this script makes the
# frames it must show with the headless replay runner of the native build, from the same data,
# and keeps the page's screenshots at three screen sizes in BUILD_DIR/web_shots.
#
# Usage: web_browser_test.sh BUILD_DIR SOURCE_DIR PAGE_DIR  (make test-web passes all three)
# ctest passes only the first two: the page is then tested by make test-web, not here.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "skipped: the page is tested by make test-web"
  exit 0
fi
source "$(dirname "$0")/script_support.sh"
begin web "$1/game"
keep_shots=$(cd "$1" && pwd)/web_shots
source=$(cd "$2" && pwd)
page=$(cd "$3" && pwd)
: "${YELKO_WEB_TOOLS:?set YELKO_WEB_TOOLS to the folder holding node_modules/puppeteer-core}"
need "$game/yelko" "$game/yelko-solve" "$page/index.html" "$page/index.wasm"

"$game/yelko-solve" "$game/level1.dat" | sed 's/.*: //' >"$work/solution.txt"
"$game/yelko-solve" "$game/level2.dat" | sed 's/.*: //' | cut -c1 >"$work/first2.txt"
declare -A name=([L]=LEFT [R]=RIGHT [U]=UP [D]=DOWN)
first=${name[$(cut -c1 "$work/solution.txt")]}
cp "$game/level3.dat" "$work/opened.dat"
cp "$game/collections/islands.txt" "$work/"
cp "$source/tests/puzzle_codes.txt" "$work/"
replay "$game/level1.dat" 'frames 30\n' start1
replay "$game/level2.dat" 'frames 30\n' start2
replay "$work/opened.dat" 'frames 30\n' opened
replay "$game/level1.dat" "frames 30\nframes 1 $first\nframes 30\n" moved1
replay "$game/level1.dat" "$("$game/yelko-solve" --script "$game/level1.dat")\nframes 120\n" solved1
replay "$game/level1.dat" 'frames 30\nframes 1 D\nframes 10\nclick left 100 100\nframes 10
click right 260 180\nframes 10\n' touched

timeout 360 node "$source/tests/web_browser.mjs" "$page" "$work" || fail "the page in Chromium (above)"
mkdir -p "$keep_shots" && cp "$work"/web-*.png "$keep_shots/"
