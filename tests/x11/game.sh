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

expect_pixel() { # shot x y "r,g,b"
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1: pixel ($2, $3) is $got, expected $4"
}
# Number of pixels in which a 20 x 20 board cell of a screenshot differs from TileSet cell n.
cell_differs_from_tile() { # shot x y n
  convert "$shots/$1.png" -crop "20x20+$2+$3" +repage "$work/cell.png"
  convert "$work/GFX/TileSet.bmp" -crop "20x20+$(( ($4 - 1) * 20 ))+0" +repage "$work/tile.png"
  compare -metric AE "$work/cell.png" "$work/tile.png" null: 2>&1 || true
}
window_size() { xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }

start_program "$work"

# First start: the settings screen at the desktop's corner with the defaults.
shot settings
[ "$(window_size)" = "370x310" ] || fail "settings window is $(window_size)"
expect_pixel settings 200 170 "195,200,205"  # client background
expect_pixel settings 250 15 "40,60,80"      # plain title bar
expect_pixel settings 71 77 "250,250,250"    # width bar: first column of the fill
expect_pixel settings 121 150 "255,255,0"    # the 50 % mark
expect_pixel settings 200 77 "195,200,205"   # width 15: the bar ends at column 146

# The fourth preset fills the width bar, then the first preset and start: a 15 x 10 round.
click 315 190
shot preset
[ "$(pixel preset 200 77)" != "195,200,205" ] || fail "the fourth preset did not fill the width bar"
click 60 190
click 327 234
shot round
[ "$(window_size)" = "370x288" ] || fail "game window is $(window_size)"
expect_pixel round 10 33 "195,200,205"       # top panel
[ "$(cell_differs_from_tile round 10 78 1)" = "0" ] || fail "cell (0, 0) is not covered"
[ "$(cell_differs_from_tile round 290 258 1)" = "0" ] || fail "cell (14, 9) is not covered"

# A click on cell (0, 0) opens it (or ends the round on a mine).
click 15 83
shot opened
[ "$(cell_differs_from_tile opened 10 78 1)" != "0" ] || fail "cell (0, 0) did not open"

# The face button: a new round with every cell covered again.
click 265 50
sleep 0.3
shot newround
[ "$(cell_differs_from_tile newround 10 78 1)" = "0" ] || fail "the face button gave no new round"

# The back button: the settings screen at 370 x 310 again.
click 320 50
shot back
[ "$(window_size)" = "370x310" ] || fail "after back the window is $(window_size)"
expect_pixel back 200 170 "195,200,205"

# Drag the title bar by (100, 50).
point 150 12
xdotool mousedown 1
sleep 0.1
for step in 1 2 3 4 5; do
  xdotool mousemove $(( 150 + 20 * step )) $(( 12 + 10 * step ))
  sleep 0.05
done
sleep 0.1
xdotool mouseup 1
sleep 0.4
shot dragged
expect_pixel dragged 300 220 "195,200,205"  # client background, now at (100, 50) + (200, 170)
expect_pixel dragged 350 65 "40,60,80"      # title bar moved along
expect_pixel dragged 50 30 "0,0,0"          # the desktop where the window was

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
