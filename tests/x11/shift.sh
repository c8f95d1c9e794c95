#!/usr/bin/env bash
# A name typed fast on the top-ten screen, Shift let go about 50 ms before the letter it
# capitalised, as quick typists do: every letter counts once ("BoB", not "BboBb").
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin shift "$@"
install_program "$work"

# A capital typed with Shift released first: Shift, the letter, Shift up, the letter up
# 50 ms later.
early_shift_capital() { # X key name
  xdotool keydown Shift_L
  sleep 0.05
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup Shift_L
  sleep 0.05
  xdotool keyup "$1"
  sleep 0.08
}

start_program "$work"
# The settings screen starts with 15 x 10 and 12 mines (Leicht): start, win, and the end
# screen's face button leads to the top-ten screen.
quick_click 327 234
win_easy_round "$work/tessaroc" nm
sleep 0.5
quick_click 265 50
sleep 1.5

early_shift_capital b
tap o
early_shift_capital b
xdotool key Return
sleep 0.3
quick_click 150 200
sleep 0.5
quick_click 355 15
expect_program_end "the close button"

expect_first_leicht_name "$work/TopList" 'BoB'
echo "shift.sh: ok"
