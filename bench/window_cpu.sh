#!/usr/bin/env bash
# The processor time the desktop game takes on a 1920 x 1080 virtual X server, in per cent of
# one core: in a window with the board at 1x (whole pixels only, where the game has the choice)
# and full screen (F11), each first with nothing happening (the game should rest) and then with
# the Player walking to and fro. Read from /proc/PID/stat (user + system time) over SECONDS
# seconds each. With WINE=1 the build directory is a Windows one and yelko.exe runs under Wine;
# the Wine server's time is counted with the game's.
#
# Usage: [WINE=1] [MODES="1x full"] window_cpu.sh BUILD_DIR [SECONDS]
set -euo pipefail
build_dir=$(cd "$1" && pwd)
seconds=${2:-20}
work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-cpu-XXXXXX")
xvfb_pid=
game_pid=
wine=${WINE:-}
cleanup() {
  [ -z "$game_pid" ] || kill "$game_pid" 2>/dev/null || true
  [ -z "$wine" ] || timeout 20 wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$build_dir/game" "$work/game"
mkdir -p "$work/data/yelko" "$work/config/yelko"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
tick=$(getconf CLK_TCK)
if [ -n "$wine" ]; then
  export WINEPREFIX=$build_dir/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$work/asoundrc"
  export ALSA_CONFIG_PATH=$work/asoundrc
  timeout 20 wineserver -k 2>/dev/null || true
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    >/dev/null 2>&1 || true
fi

# ticks: the game's processor time so far (and the Wine server's), in clock ticks.
ticks() {
  local pids=$game_pid
  [ -z "$wine" ] || pids="$pids $(pgrep -x wineserver || true)"
  for p in $pids; do awk '{ print $14 + $15 }' "/proc/$p/stat" 2>/dev/null || echo 0; done |
    awk '{ s += $1 } END { print s + 0 }'
}
busy() {  # busy: per cent of a core used over $seconds seconds
  local a b
  a=$(ticks)
  sleep "$seconds"
  b=$(ticks)
  awk -v d=$((b - a)) -v t="$tick" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * d / t / s }'
}

for mode in ${MODES:-1x full}; do
  # The board at 1x in the first window: whole pixels only (a build without the choice draws
  # whole multiples anyway, 1x on this screen).
  rm -f "$work/config/yelko/window"
  if [ -n "$wine" ]; then
    timeout 60 wine reg delete 'HKCU\Software\Yelko' /f >/dev/null 2>&1 || true
    timeout 60 wine reg add 'HKCU\Software\Yelko' /v WholePixels /t REG_BINARY /d 01 /f \
      >/dev/null 2>&1 || true
    [ "$mode" = 1x ] || timeout 60 wine reg delete 'HKCU\Software\Yelko' /f >/dev/null 2>&1 || true
    (cd "$work/game" && exec wine yelko.exe) >/dev/null 2>&1 &
  else
    if [ "$mode" = 1x ]; then printf '\001' >"$work/data/yelko/WholePixels"; else rm -f "$work/data/yelko/WholePixels"; fi
    (cd "$work/game" && exec ./yelko) >/dev/null 2>&1 &
  fi
  game_pid=$!
  wid=
  for _ in $(seq 300); do
    wid=$(xdotool search --name '^Yelko( |$)' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -z "$wine" ] || game_pid=$(pgrep -n -f 'yelko.exe' || echo "$game_pid")
  xdotool windowfocus --sync "$wid"
  sleep 2
  [ "$mode" = 1x ] || { xdotool key F11; sleep 2; }
  still=$(busy)
  # Walking: Right and Left held in turn for the whole measurement.
  (for _ in $(seq $((seconds))); do
    xdotool keydown Right sleep 0.5 keyup Right keydown Left sleep 0.5 keyup Left
  done) &
  walker=$!
  walking=$(busy)
  kill "$walker" 2>/dev/null || true
  wait "$walker" 2>/dev/null || true
  echo "$mode: still ${still} %, walking ${walking} % of a core"
  xdotool key Escape
  sleep 2
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=
done
