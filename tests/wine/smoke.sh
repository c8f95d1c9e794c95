#!/usr/bin/env bash
# The Windows program under Wine through a real window: started from another folder in a
# program folder whose name has an umlaut, the settings screen, a preset, a round with a click
# on a cell, the face button, a won round with a name typed on the top-ten screen (kept in
# "TopList"), the back button, a drag of the title bar, and Escape, which ends the program
# with exit code 0 and leaves the new position in "Prefs". Pixels of screenshots are checked
# at known places of the layout (the same as on Linux). The won round clicks exactly the safe
# cells, read from the running program's memory (tools/lib/safe_cells.py).
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). DISPLAY is set; Wine
# uses WINEPREFIX when set, else a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../x11/lib/common.sh"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
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
# A quick click in one xdotool call, for the many cells of a round.
quick_click() { # x y
  xdotool mousemove "$1" "$2" mousemove_relative 1 0 mousemove_relative -- -1 0 sleep 0.03 \
    mousedown 1 sleep 0.06 mouseup 1 sleep 0.05
}

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

# Win the new round (15 x 10, 12 mines) by opening exactly its safe cells.
cells=""
for _ in $(seq 50); do
  cells=$(python3 "$root/tools/lib/safe_cells.py" "$pid" "$folder/tessaroc.exe" \
    x86_64-w64-mingw32-nm 15 10 12 2>/dev/null) && break
  sleep 0.1
done
[ -n "$cells" ] || fail "the round's mines were never placed"
while read -r x y; do quick_click $((10 + 20 * x + 10)) $((78 + 20 * y + 10)); done <<<"$cells"
sleep 0.3
shot won
[ "$(cell_differs_from_tile won 10 78 1)" != "0" ] || fail "the won round left cell (0, 0) covered"

# The end screen's face button: the top-ten screen (350 x 360) with the new time sliding in;
# then "Jörg" typed as on a German keyboard (Shift with J, the key right of L, r, g), Return.
click 265 50
for _ in $(seq 30); do [ "$(window_size)" = "350x360" ] && break; sleep 0.1; done
[ "$(window_size)" = "350x360" ] || fail "no top-ten screen after the win: $(window_size)"
sleep 1.5
xdotool keydown Shift_L
sleep 0.05
press_key j
xdotool keyup Shift_L
press_key semicolon
press_key r
press_key g
press_key Return
sleep 0.3
shot toplist
python3 - "$folder/TopList" <<'PY' || fail "TopList does not hold the name"
import re, sys
data = open(sys.argv[1], "rb").read()
assert len(data) == 1124, f"TopList has {len(data)} bytes"
entry = data[4:32]
assert entry[:20] == b"J\xf6rg" + b" " * 16, f"name field {entry[:20]!r}"
assert re.fullmatch(rb"\d+\.\d\d *", entry[20:]), f"time field {entry[20:]!r}"
PY

# A click ends the top-ten screen: a new round; its back button leads to the settings.
click 150 200
sleep 0.3
[ "$(window_size)" = "370x288" ] || fail "after the top-ten screen the window is $(window_size)"
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
