#!/usr/bin/env bash
# The board must read without telling hues apart: on level 1 as the game draws it, seen with
# normal vision and through the protanopia, deuteranopia and tritanopia colour matrices
# (Machado, Oliveira and Fernandes 2009, full severity, on linear RGB), each pair of things that
# meet on the board (land and water, a platform and water, the Player on land and on a platform,
# a ball on land) must differ in lightness (CIE L*) by at least MinDelta. A failure names the
# pairs and their lightness.
#
# Usage: art_colour_blind_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
source "$(dirname "$0")/script_support.sh"
begin colour "$1/game"
MinDelta=10
need convert
replay "$game/level1.dat" 'frames 2\n' still
cd "$work"

# Level 1: water in the top rows, land beside the Player's island, platform 5 at (240, 200),
# the Player at (120, 200) (his shirt), the ball in cell (10, 6).
declare -A rect=([water]="160x120+0+0" [land]="60x60+170+250" [platform]="60x60+250+210"
  [player]="12x14+134+214" [ball]="12x12+414+254")
declare -A matrix=(
  [normal]="1 0 0 0 1 0 0 0 1"
  [protanopia]="0.152286 1.052583 -0.204868 0.114503 0.786281 0.099216 -0.003882 -0.048116 1.051998"
  [deuteranopia]="0.367322 0.860646 -0.227968 0.280085 0.672501 0.047413 -0.011820 0.042940 0.968881"
  [tritanopia]="1.255528 -0.076749 -0.178779 -0.078411 0.930809 0.147602 0.004733 0.691367 0.303900")
pairs="land:water platform:water platform:land player:land player:platform ball:land"

failed=
for vision in normal protanopia deuteranopia tritanopia; do
  declare -A lightness=()
  for thing in water land platform player ball; do
    lightness[$thing]=$(convert still.bmp -crop "${rect[$thing]}" +repage -colorspace RGB \
      -color-matrix "${matrix[$vision]}" \
      -format '%[fx:0.2126*mean.r+0.7152*mean.g+0.0722*mean.b]' info: |
      awk '{ y = $1; printf "%.1f", (y > 0.008856 ? 116 * exp(log(y) / 3) - 16 : 903.3 * y) }')
  done
  for pair in $pairs; do
    a=${pair%%:*}
    b=${pair##*:}
    if ! awk -v a="${lightness[$a]}" -v b="${lightness[$b]}" -v m="$MinDelta" \
      'BEGIN { d = a - b; exit !(d >= m || -d >= m) }'; then
      failed+="$vision: $a (L* ${lightness[$a]}) and $b (L* ${lightness[$b]}); "
    fi
  done
done
[ -z "$failed" ] || fail "less than $MinDelta apart in lightness: $failed"
