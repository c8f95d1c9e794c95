#!/usr/bin/env bash
# The Windows program under Wine through a real window: started from another folder in a
# program folder whose name has an umlaut, the settings screen, a preset, a round with a click
# on a cell, the face and back buttons, a drag of the title bar, and Escape, which ends the
# program with exit code 0 and leaves the new position in "Prefs". Pixels of screenshots are
# checked at known places of the layout (the same as on Linux).
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). DISPLAY is set; Wine
# uses WINEPREFIX when set, else a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../x11/lib/common.sh"
x11_begin wine-smoke "$@"
shots=$build/wine-smoke
mkdir -p "$shots"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=$(mktemp -d /tmp/tessaroc-wineprefix-XXXXXX)
  export WINEPREFIX=$own_prefix
  wineboot --init >/dev/null 2>&1
fi
x11_on_exit() {
  if [ -n "$own_prefix" ]; then
    wineserver -w 2>/dev/null || true
    rm -rf "$own_prefix"
  fi
}

folder="$work/Tessaröc Spiel"
mkdir -p "$folder"
cp "$exe" "$folder/tessaroc.exe"
cp -r "$build/GFX" "$folder/GFX"

# A key held long enough for a keyboard snapshot. Wine reads the X keycode (the set-1 scan
# code plus 8); xdotool takes a key name ("9" would be the digit, not keycode 9).
press_key() { # X key name
  xdotool keydown "$1"
  sleep 0.15
  xdotool keyup "$1"
}
expect_pixel() { # shot x y "r,g,b"
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1: pixel ($2, $3) is $got, expected $4"
}
# Number of pixels in which a 20 x 20 board cell of a screenshot differs from TileSet cell n.
cell_differs_from_tile() { # shot x y n
  convert "$shots/$1.png" -crop "20x20+$2+$3" +repage "$work/cell.png"
  convert "$folder/GFX/TileSet.bmp" -crop "20x20+$((($4 - 1) * 20))+0" +repage "$work/tile.png"
  compare -metric AE "$work/cell.png" "$work/tile.png" null: 2>&1 || true
}
window_size() { xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }

# Start from the work folder, not the program's own: the program finds its folder itself.
(cd "$work" && exec wine "$folder/tessaroc.exe" 2>>"$work/log") &
pid=$!
for _ in $(seq 300); do
  win=$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no window"
sleep 1

shot settings
[ "$(window_size)" = "370x310" ] || fail "settings window is $(window_size)"
expect_pixel settings 200 170 "195,200,205" # client background
expect_pixel settings 250 15 "40,60,80"     # plain title bar
expect_pixel settings 71 77 "250,250,250"   # width bar: first column of the fill
expect_pixel settings 200 77 "195,200,205"  # width 15: the bar ends at column 146

# The fourth preset fills the width bar; then the first preset and start: a 15 x 10 round.
click 315 190
shot preset
[ "$(pixel preset 200 77)" != "195,200,205" ] || fail "the fourth preset did not fill the width bar"
click 60 190
click 327 234
shot round
[ "$(window_size)" = "370x288" ] || fail "game window is $(window_size)"
[ "$(cell_differs_from_tile round 10 78 1)" = "0" ] || fail "cell (0, 0) is not covered"

# A click on cell (0, 0) opens it (or ends the round on a mine).
click 15 83
shot opened
[ "$(cell_differs_from_tile opened 10 78 1)" != "0" ] || fail "cell (0, 0) did not open"

# The face button: a new round with every cell covered again; back to the settings.
click 265 50
sleep 0.3
shot newround
[ "$(cell_differs_from_tile newround 10 78 1)" = "0" ] || fail "the face button gave no new round"
click 320 50
shot back
[ "$(window_size)" = "370x310" ] || fail "after back the window is $(window_size)"

# Drag the title bar by (100, 50): the system's own move of the window.
point 150 12
xdotool mousedown 1
sleep 0.1
for step in 1 2 3 4 5; do
  xdotool mousemove $((150 + 20 * step)) $((12 + 10 * step))
  sleep 0.05
done
sleep 0.1
xdotool mouseup 1
sleep 0.5
shot dragged
expect_pixel dragged 300 220 "195,200,205" # client background, now at (100, 50) + (200, 170)
expect_pixel dragged 350 65 "40,60,80"     # title bar moved along
expect_pixel dragged 300 127 "195,200,205" # width bar still ends at 146: the release clicked nothing

# Escape on the settings screen ends the program through its ordinary end.
point 300 220
press_key Escape
expect_program_end "Escape"
expected="00787374000000000000000000000000000000000f0000000a0000000c0000006400000032000000"
got=$(xxd -p "$folder/Prefs" | tr -d '\n')
[ "$got" = "$expected" ] || fail "Prefs holds $got, expected $expected"
echo "smoke.sh: ok"
