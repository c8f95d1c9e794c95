#!/usr/bin/env bash
# A name typed fast on the top-ten screen, Shift let go about 50 ms before the letter it
# capitalised, as quick typists do: every letter counts once ("BoB", not "BboBb").
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
#
# Each step waits for what the program shows or keeps rather than for a time: the round's
# cells open, the top-ten screen asks for the name, "TopList" is saved, the window is the next
# round's. Each capital is one xdotool call, so the letter is held as long as written whatever
# the load (held past 350 ms, the name entry's key repeat would type it again).
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin shift "$@"
install_program "$work"

# A capital typed with Shift released first: Shift, the letter, Shift up, the letter up
# 50 ms later.
early_shift_capital() { # X key name
  xdotool keydown Shift_L sleep 0.05 keydown "$1" sleep 0.1 keyup Shift_L sleep 0.05 \
    keyup "$1" sleep 0.08
}

# Waits up to 10 s for the file to be there (the program writes it whole, then renames it).
await_file() { # path
  for _ in $(seq 100); do
    [ -e "$1" ] && return
    sleep 0.1
  done
  fail "$1 was never saved"
}

# Waits up to 10 s for the window to have the size.
await_window_size() { # <width>x<height>
  for _ in $(seq 100); do
    [ "$(window_size)" = "$1" ] && return
    sleep 0.1
  done
  fail "the window stays $(window_size), not $1"
}

start_program "$work"
# The settings screen starts with 15 x 10 and 12 mines (Leicht): start, win, and the end
# screen's face button leads to the top-ten screen.
quick_click 327 234
win_easy_round "$work/tessaroc" nm
quick_click 265 50
await_name_entry

early_shift_capital b
tap o
early_shift_capital b
xdotool key Return
# Return saves the list; a click then leaves the screen for a new round, whose close button
# ends the program.
await_file "$work/TopList"
quick_click 150 200
await_window_size 370x288
quick_click 355 15
expect_program_end "the close button"

expect_first_leicht_name "$work/TopList" 'BoB'
echo "shift.sh: ok"
