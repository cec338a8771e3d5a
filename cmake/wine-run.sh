#!/bin/sh
# Runs a Windows program of the cross build under Wine, quietly, in the Wine prefix
# YELKO_WINEPREFIX (the Makefile gives each Windows build its own), else $HOME/.wine-yelko.
export WINEPREFIX="${YELKO_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine-yelko}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
