#!/usr/bin/env bash
# The Debian package as a player's machine gets it: lintian finds no error or warning; in a
# fresh Debian 12 root, apt-get installs it with the libraries it names from the archive, the
# installed game plays level 1 to its solve from another folder, with its pictures, and apt-get
# purge takes every file of it away again.
#
# Usage: debian_package.sh BUILD_DIR    (as root: debootstrap and chroot)
# Run by `make test-deb`. The fresh root comes from debootstrap (minbase, about 3 minutes from
# the archive this machine's apt uses) once, and is kept in BUILD_DIR/debian-root.tar.
set -uo pipefail
source "$(dirname "$0")/script_support.sh"
begin deb "$1/game"
build=$(cd "$1" && pwd)
need lintian debootstrap unshare "$game/yelko-solve"
deb=$(ls "$build"/packages/yelko_*_amd64.deb 2>/dev/null | tail -1)
[ -n "$deb" ] || fail "no package in $build/packages (make deb)"
[ "$(id -u)" = 0 ] || fail "needs root, for debootstrap and chroot"

lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 ||
  fail "lintian: $(grep -v 'root privileges' "$work/lintian.log")"

root_tar=$build/debian-root.tar
if [ ! -s "$root_tar" ]; then
  mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  timeout 900 debootstrap --variant=minbase bookworm "$work/fresh" $mirror >"$work/boot.log" 2>&1 ||
    fail "debootstrap: $(tail -5 "$work/boot.log")"
  tar -C "$work/fresh" -cf "$root_tar.part" . && mv "$root_tar.part" "$root_tar"
  rm -rf "$work/fresh"
fi
root=$work/root
mkdir "$root" && tar -C "$root" -xf "$root_tar" || fail "cannot unpack $root_tar"
# in_root COMMAND...: runs in the fresh root with its own /proc (the game finds its data through
# /proc/self/exe), which goes away with the command.
in_root() {
  unshare --mount --pid --fork --mount-proc="$root/proc" \
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin:/usr/games HOME=/root "$@"
}

cp "$deb" "$root/tmp/yelko.deb"
{ in_root apt-get update -qq &&
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    /tmp/yelko.deb; } >"$work/apt.log" 2>&1 || fail "apt-get install: $(tail -20 "$work/apt.log")"

# Level 1's shortest solution, played by the installed game as a player starts it.
"$game/yelko-solve" --script "$game/level1.dat" >"$root/tmp/solve.txt" || fail "no solution"
replay "$game/level1.dat" "$(cat "$root/tmp/solve.txt")" build
mkdir "$root/tmp/elsewhere"
in_root sh -c 'cd /tmp/elsewhere && yelko --version && yelko --replay /tmp/solve.txt \
  --screenshot /tmp/shot.bmp' >"$work/installed.json" 2>"$work/stderr" || fail "the installed game failed"
grep -qx "yelko $(dpkg-deb -f "$deb" Version)" "$work/installed.json" ||
  fail "yelko --version: $(head -1 "$work/installed.json")"
expect "$(tail -1 "$work/installed.json")" solved 1
cmp -s "$root/tmp/shot.bmp" "$work/build.bmp" || fail "the installed game's last frame differs"
[ -s "$root/root/.local/share/yelko/Best" ] || fail "no best result in the player's data folder"

in_root apt-get purge -y -qq yelko >>"$work/apt.log" 2>&1 || fail "apt-get purge: $(tail "$work/apt.log")"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print substr($6, 2)}' >"$work/files"
while read -r f; do
  [ ! -e "$root$f" ] || fail "$f is still there after apt-get purge"
done <"$work/files"
[ ! -e "$root/usr/share/yelko" ] || fail "/usr/share/yelko is still there after apt-get purge"
echo "passed: lintian, install, replay, purge"
