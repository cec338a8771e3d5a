#!/usr/bin/env bash
# The layers point down only: each folder may include only the folders below it (ARCHITECTURE.md).
# The rules (board/, play/) see no window, device, picture or sound; the midend sees the rules
# and the files; the app and the editor see everything but each other's insides (the editor never
# includes app/). A file that includes what its layer may not fails this test.
# Arguments: the build directory and the source directory.
set -euo pipefail
cd "$2"
declare -A allowed=(
  [platform]="platform/"
  [gfx]="gfx/ platform/"
  [sound]="sound/ platform/"
  [input]="input/ platform/"
  [board]="board/ platform/files.h"
  [play]="play/ board/"
  [midend]="midend/ play/ board/ platform/files.h platform/memory.h platform/platform.h"
  [editor]="editor/ midend/ play/ board/ gfx/ sound/ input/ platform/"
)
bad=0
for folder in "${!allowed[@]}"; do
  while IFS=: read -r file include; do
    ok=0
    for prefix in ${allowed[$folder]}; do [[ $include == "$prefix"* ]] && ok=1; done
    if [ "$ok" = 0 ]; then
      echo "FAIL: $file includes $include, which the $folder/ layer may not"
      bad=1
    fi
  done < <(grep -oE '^#include "[^"]+"' -r "$folder" --include='*.cpp' --include='*.h' |
    sed -E 's/#include "([^"]+)"/\1/')
done
exit $bad
