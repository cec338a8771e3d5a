# What the script tests share, sourced by them (not a test itself: its name does not end in
# _test.sh). After sourcing, a script calls
#
#   begin NAME RUN_DIR
#
# which makes $work, a private directory removed on exit, sets $game to RUN_DIR (the build's
# game directory: the programs and their data files) and points XDG_DATA_HOME and HOME into
# $work, so that no test reads or writes the developer's own progress and levels. Every
# process a script puts in $started (Xvfb, the game) is stopped on exit; a script that needs
# more clean-up defines on_exit. fail prints why, the game's stderr ($work/stderr) if there
# is one, keeps the screenshots taken so far in $keep_shots (when set) and ends the script.

fail() {
  echo "FAIL: $*"
  if [ -s "$work/stderr" ]; then
    echo "--- the game's stderr:"
    cat "$work/stderr"
  fi
  if [ -n "${keep_shots:-}" ] && ls "$work"/*.png >/dev/null 2>&1; then
    mkdir -p "$keep_shots" && cp "$work"/*.png "$keep_shots/"
    echo "screenshots kept in $keep_shots"
  fi
  exit 1
}

stop() {  # stop PID: ends a process this script started, forcibly if it does not end in 5 s
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

started=()
cleanup() {
  if declare -F on_exit >/dev/null; then on_exit || true; fi
  for pid in "${started[@]}"; do stop "$pid"; done
  rm -rf "$work"
}

begin() {  # begin NAME RUN_DIR
  game=$(cd "$2" && pwd)
  work=$(mktemp -d "${TMPDIR:-/tmp}/yelko-$1-XXXXXX")
  trap cleanup EXIT
  export XDG_DATA_HOME=$work/data HOME=$work
}

need() {  # need COMMAND-OR-FILE...: each must be installed, or built by the default target
  local x
  for x; do [ -e "$x" ] || command -v "$x" >/dev/null || fail "$x is missing (make deps; make build)"; done
}

# expect JSON FIELD VALUE: the replay's report holds "FIELD":VALUE exactly.
expect() { grep -qF "\"$2\":$3" <<<"$1" || fail "expected \"$2\":$3 in $1"; }

# expect_exit STATUS REGEX COMMAND...: COMMAND ends with STATUS, and what it prints (stdout and
# stderr, left in $out) matches the extended REGEX.
expect_exit() {
  local want=$1 pattern=$2 rc=0
  shift 2
  out=$("$@" 2>&1) || rc=$?
  [ "$rc" = "$want" ] || fail "$* ended with $rc, not $want: $out"
  grep -qE -- "$pattern" <<<"$out" || fail "$* printed: $out"
}

# replay LEVEL SCRIPT NAME [PROGRAM...]: plays SCRIPT (text, printf %b escapes) on a copy of
# LEVEL as level 0, in a fresh copy of the run directory, with PROGRAM (default: the game);
# the report goes to $work/NAME.json (CR LF made LF), the last frame to $work/NAME.bmp.
replay() {
  local dir=$work/replay-$3 program=("${@:4}")
  [ ${#program[@]} -gt 0 ] || program=("$game/yelko")
  rm -rf "$dir" && cp -r "$game" "$dir"
  cp "$1" "$dir/level.dat"
  printf '%b' "$2" >"$dir/script.txt"
  (cd "$dir" && XDG_DATA_HOME=$dir/data "${program[@]}" --replay script.txt --screenshot shot.bmp \
    --start-level 0 | tr -d '\r' >"$work/$3.json") || fail "replay $3 failed"
  mv "$dir/shot.bmp" "$work/$3.bmp"
}

# --- The desktop game on a virtual X server.

start_xvfb() {  # start_xvfb WIDTHxHEIGHTxDEPTH [ARGS...]: a server of our own; sets DISPLAY
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp "${@:2}" 3>"$work/display" 2>"$work/xvfb.log" &
  started+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start within 10 s: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(head -1 "$work/display")
}

find_window() {  # find_window PID: waits up to 20 s for PID's window, titled Yelko...; sets $wid
  wid=
  for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --name '^Yelko( |$)' 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && return
    kill -0 "$1" 2>/dev/null || fail "the game ended before opening its window"
    sleep 0.2
  done
  fail "no window titled Yelko appeared"
}

escape_ends() {  # escape_ends: Escape ends the game ($game_pid) with exit code 0 within 10 s
  hold Escape 0.3
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game_pid" 2>/dev/null; then fail "the game did not end on Escape"; fi
  wait "$game_pid" || fail "the game ended on Escape with exit code $?"
}

# tap KEY [SECONDS], click X Y [SECONDS]: a key pressed, or a left click in the window, then a
# wait for the frames they make.
tap() { xdotool key "$1"; sleep "${2:-0.25}"; }
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep "${3:-0.5}"; }

shot() { import -window "$wid" "$work/$1.png"; }  # shot NAME: the window, into $work/NAME.png

hold() {  # hold KEY [SECONDS]: a key held long enough for a frame to see it
  xdotool keydown "$1"
  sleep "${2:-0.15}"
  xdotool keyup "$1"
}
