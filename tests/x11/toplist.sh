#!/usr/bin/env bash
# A won Leicht round through the real window under X: the top-ten screen appears, a name is
# typed with xdotool on the German key positions, with keys rolled over and then quickly, and
# "TopList" holds it.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
#
# The mines are read from the running program's memory (tools/lib/safe_cells.py), so the
# round is won by clicking exactly the safe cells, without a solver.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin toplist "$@"
shots=$build/x11-toplist
mkdir -p "$shots"
install_program "$work"

# Screenshots of the window's area, only to look at.
look() { shot "$1" -crop 350x360+0+0 2>/dev/null || true; }

start_program "$work"

# The settings screen starts with 15 x 10 and 12 mines (Leicht): press start.
quick_click 327 234
win_easy_round "$work/tessaroc" nm
sleep 0.5
look toplist-end-screen

# The end screen's face button: a new round after the top-ten screen.
quick_click 265 50
sleep 0.25
look toplist-slide
sleep 1.2

type_joerg
# A key tapped while another is held, events 50 ms apart, in both nestings: "sa" each time.
xdotool keydown s sleep 0.05 keydown a sleep 0.05 keyup a sleep 0.05 keyup s sleep 0.1
xdotool keydown s sleep 0.05 keydown a sleep 0.05 keyup s sleep 0.05 keyup a sleep 0.1
# Then quick typing, each key held for a few milliseconds, and a bare Return: every key
# counts once, in order.
xdotool type --delay 30 abcdefghij
sleep 0.3
look toplist-entry
xdotool key Return
sleep 0.3
look toplist-after-enter

# A click ends the screen; then close the new round's window (close button at the right).
quick_click 150 200
sleep 0.5
quick_click 355 15
expect_program_end "the close button"

expect_first_leicht_name "$work/TopList" 'J\xf6rgsasaabcdefghij'
echo "toplist.sh: ok"
