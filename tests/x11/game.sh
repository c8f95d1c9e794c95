#!/usr/bin/env bash
# The game through the real window under X: settings screen, a preset, a round with clicks on
# cells, the face and back buttons, a drag of the title bar, quick taps and the close button;
# pixels of screenshots are checked at known places of the layout, and "Prefs" holds the new
# position.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin game "$@"
shots=$build/x11-game
mkdir -p "$shots"
install_program "$work"

start_program "$work"

# First start: settings screen, presets, a round, a cell, the face button; then the back
# button and a drag of the title bar by (100, 50).
play_first_round
back_and_drag_title_bar

# Five taps on the height's + button with press and release sent together (as a touchpad
# tap does): each one counts, so the height goes from 10 to 15.
for _ in 1 2 3 4 5; do
  point $(( 100 + 344 )) $(( 50 + 102 ))
  xdotool click 1
  sleep 0.15
done

# The close button ends the program, which saves the preferences.
click $(( 100 + 370 - 15 )) $(( 50 + 15 ))
expect_program_end "the close button"
expected="00787374000000000000000000000000000000000f0000000f0000000c0000006400000032000000"
got=$(xxd -p "$work/Prefs" | tr -d '\n')
[ "$got" = "$expected" ] || fail "Prefs holds $got, expected $expected"
echo "game.sh: ok"
