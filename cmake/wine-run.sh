#!/bin/sh
# Runs a Windows program of the cross build under Wine, quietly. The Wine prefix: YELKO_WINEPREFIX
# when set, else the one given as --prefix=DIR (the toolchain file gives each build its own),
# else $HOME/.wine-yelko.
prefix=
case "${1:-}" in
  --prefix=*) prefix=${1#--prefix=}; shift ;;
esac
export WINEPREFIX="${YELKO_WINEPREFIX:-${prefix:-$HOME/.wine-yelko}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
