#!/usr/bin/env bash
# The Windows program on a display of 1920 x 1200 (an X server of its own, on which the
# largest round fits twice as large) set to 192 dots per inch (Wine's LogPixels, what the
# display settings' 200 % give on Windows): the settings screen is 740 x 620, each of its
# pixels a 2 x 2 block, a click at the middle of a preset button in desktop pixels selects it,
# a drag of the title bar by (120, 80) desktop pixels moves the window by (60, 40) of the
# game's pixels, and Escape ends the program with that position in "Prefs".
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). Wine uses WINEPREFIX
# when set (its setting is put back at the end), else a private prefix.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin scale "$@"
shots=$build/wine-scale
mkdir -p "$shots"
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$tests_root/tools/lib/xvfb.sh"
wineserver -w # the prefix's processes on the suite's display have ended
xvfb_screen=1920x1200x24 start_private_xvfb 160 199
wine_dpi_test
x11_on_exit() {
  end_wine_dpi_test
  kill "$xvfb_pid" 2>/dev/null || true
}

cp "$exe" "$work/tessaroc.exe"
cp -r "$build/GFX" "$work/GFX"
set_dpi 192
start_wine_program "$work"

shot settings
[ "$(window_size)" = "740x620" ] || fail "settings window at 192 dpi is $(window_size)"
# Game pixels at twice their place, all four desktop pixels of each.
for d in "0 0" "1 0" "0 1" "1 1"; do
  read -r dx dy <<<"$d"
  expect_pixel settings $((2 * 200 + dx)) $((2 * 170 + dy)) "195,200,205" # client background
  expect_pixel settings $((2 * 250 + dx)) $((2 * 15 + dy)) "40,60,80"     # title bar
  expect_pixel settings $((2 * 71 + dx)) $((2 * 77 + dy)) "250,250,250"   # width bar fill
  expect_pixel settings $((2 * 121 + dx)) $((2 * 150 + dy)) "255,255,0"   # the 50 % mark
done
expect_pixel settings $((2 * 200)) $((2 * 77)) "195,200,205" # width 15: the bar ends early

# The fourth preset, clicked at its middle in desktop pixels, fills the width bar.
click $((2 * 315)) $((2 * 190))
shot preset
[ "$(pixel preset $((2 * 200)) $((2 * 77)))" != "195,200,205" ] ||
  fail "a click on the fourth preset at 192 dpi did not reach it"

# The system's move of the window by (120, 80) desktop pixels.
drag_120_80 $((2 * 150)) $((2 * 12))
shot dragged
expect_pixel dragged $((120 + 2 * 200)) $((80 + 2 * 170)) "195,200,205" # client background
expect_pixel dragged $((120 + 2 * 250)) $((80 + 2 * 15)) "40,60,80"     # title bar

# Escape ends the program; "Prefs" holds the fourth preset's settings (40 x 25, 200 mines)
# and the position (60, 40) in the game's pixels.
point $((120 + 2 * 200)) $((80 + 2 * 170))
tap Escape
expect_program_end "Escape"
expected="00787374000000000000000000000000000000002800000019000000c80000003c00000028000000"
got=$(xxd -p "$work/Prefs" | tr -d '\n')
[ "$got" = "$expected" ] || fail "Prefs holds $got, expected $expected"
echo "scale.sh: ok"
