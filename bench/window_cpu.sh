#!/usr/bin/env bash
# The processor time the desktop game takes under Xvfb, in per cent of one core, with the
# window at 1x and at 3x: first with the board still, then with the Player walking to and fro.
# Read from /proc/PID/stat (user + system time) over SECONDS seconds each.
#
# Usage: [SCALES="1 3"] window_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
seconds=${2:-20}
work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-cpu-XXXXXX")
xvfb_pid=
game_pid=
cleanup() {
  [ -z "$game_pid" ] || kill "$game_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$build_dir/game" "$work/game"
mkdir -p "$work/data" "$work/config/yelko"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
tick=$(getconf CLK_TCK)

busy() {  # busy: per cent of a core the game used over $seconds seconds
  local a b
  a=$(awk '{ print $14 + $15 }' "/proc/$game_pid/stat")
  sleep "$seconds"
  b=$(awk '{ print $14 + $15 }' "/proc/$game_pid/stat")
  awk -v d=$((b - a)) -v t="$tick" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * d / t / s }'
}

for scale in ${SCALES:-1 3}; do
  # The menu bar and the status line take 44 points with the default font.
  echo "window 0 0 $((560 * scale)) $((560 * scale + 44)) 0" >"$work/config/yelko/window"
  (cd "$work/game" && exec ./yelko) >/dev/null 2>&1 &
  game_pid=$!
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --name '^Yelko( |$)' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  xdotool windowfocus --sync "$wid"
  sleep 2
  still=$(busy)
  # Walking: Right and Left held in turn for the whole measurement.
  (for _ in $(seq $((seconds))); do
    xdotool keydown Right sleep 0.5 keyup Right keydown Left sleep 0.5 keyup Left
  done) &
  walker=$!
  walking=$(busy)
  kill "$walker" 2>/dev/null || true
  wait "$walker" 2>/dev/null || true
  echo "${scale}x: still ${still} %, walking ${walking} % of a core"
  kill "$game_pid"
  wait "$game_pid" 2>/dev/null || true
  game_pid=
done
