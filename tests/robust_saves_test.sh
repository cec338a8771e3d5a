#!/usr/bin/env bash
# What the saves promise, with real game processes:
# - two copies of the game over one data folder, each solving its own level twenty times (each
#   time a new best), lose none of each other's records, and the higher level reached stands;
# - the game started from another folder, or through a link to it, finds its files;
# - a level file that is missing, too short or a folder is never solved, and the saved values
#   stay byte for byte as they were.
# Arguments: the build directory and the source directory.
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin saves "$1/game"
yelko=$game/yelko
need "$yelko" "$game/yelko-solve"
cd "$work"
data=$work/data/yelko

# solving N K: a script that solves level N twenty times from the menu, each time with K fewer
# detours (one step up and back: the Player of levels 1 and 2 starts below land).
solving() {
  local moves
  moves=$("$game/yelko-solve" "$game/level$1.dat" | sed 's/.*: //')
  for ((k = 19; k >= 0; --k)); do
    printf 'menu %d\nframes 1\n' $((20 + $1))
    for ((d = 0; d < k; ++d)); do printf 'frames 10 UP\nframes 10 DOWN\n'; done
    for ((i = 0; i < ${#moves}; ++i)); do
      case ${moves:i:1} in L) printf 'frames 10 LEFT\n' ;; U) printf 'frames 10 UP\n' ;;
        R) printf 'frames 10 RIGHT\n' ;; D) printf 'frames 10 DOWN\n' ;; esac
    done
    printf 'frames 2\n'
  done
}
solving 1 >one.txt
solving 2 >two.txt
(cd "$game" && "$yelko" --replay "$work/one.txt" >"$work/one.json") &
first=$!
(cd "$game" && "$yelko" --replay "$work/two.txt" >"$work/two.json") &
wait "$first" && wait $! || fail "a racing copy of the game failed"
for json in one two; do grep -qF 'a new best!' "$json.json" || fail "$json: $(cat $json.json)"; done
key() { "$game/yelko-solve" --par "$game/level$1.dat" | cut -d' ' -f1; }
grep -qx "$(key 1) 8" "$data/Best" && grep -qx "$(key 2) 24" "$data/Best" ||
  fail "a record was lost: $(cat "$data/Best")"
[ "$(od -An -tu1 "$data/Reached" | tr -d ' ')" = 3 ] || fail "the higher level reached was lost"

# From another folder, and through a link: level 1 with its pictures, as from its own folder.
"$game/yelko-solve" --script "$game/level1.dat" >solve1.txt
mkdir elsewhere && ln -s "$yelko" elsewhere/link
(cd "$game" && "$yelko" --replay "$work/solve1.txt" --screenshot "$work/home.bmp" --start-level 1 \
  >"$work/home.json")
for program in "$yelko" ./link; do
  out=$(cd elsewhere && "$program" --replay ../solve1.txt --screenshot ../there.bmp --start-level 1)
  expect "$out" solved 1
  expect "$out" messages '[]'
  cmp -s home.bmp there.bmp || fail "$program from another folder draws another picture"
done

# A level that cannot be read whole: never solved, and nothing saved is touched.
cp -r "$game" copy
snapshot() { (cd "$data" && cat Level Reached Best | od -An -tx1); }
before=$(snapshot)
for broken in missing short folder; do
  rm -rf copy/level1.dat
  case $broken in
    short) head -c 150 "$game/level1.dat" >copy/level1.dat ;;
    folder) mkdir copy/level1.dat ;;
  esac
  printf 'menu 21\n%s\nframes 2\n' "$(cat solve1.txt)" >menu1.txt
  out=$(cd copy && ./yelko --replay "$work/menu1.txt")
  expect "$out" solved 0
  expect "$out" messages '["INVALID_HANDLE_VALUE"]'
  grep -qE '"status":"level1\.dat (is missing|is 150 bytes, a level is 300|is a folder, not a file)' \
    <<<"$out" || fail "$broken: the status line does not say what is wrong: $out"
  [ "$(snapshot)" = "$before" ] || fail "$broken: a saved value changed"
done
echo "ok"
