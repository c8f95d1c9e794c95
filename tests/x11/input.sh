#!/usr/bin/env bash
# Quick input through the real window under X: a burst of 200 clicks on an empty spot of the
# settings screen, made faster than the screen takes them, acts nowhere and is gone within a
# second (the pointer parked on "+" afterwards changes nothing; one click there then adds
# one); a quick click on the rolled-up window's restore button, with the pointer moved away
# at once, still restores the window. "Prefs" holds the result.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin input "$@"
install_program "$work"

# The window's height as the X server has it.
window_height() { xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }

start_program "$work"
[ "$(window_height)" = 310 ] || fail "settings window not 310 high"

# 200 clicks on the empty spot left of the presets' caption, each pressed and released at
# once, 5 ms apart; then the pointer rests on the width "+" without clicking for 2 s.
point 150 170
xdotool click --repeat 200 --delay 5 1
point 344 77
sleep 2
# One click on "+": 15 -> 16.
click 344 77

# Roll up (the second title button), then a quick tap on the restore button (the first),
# the pointer leaving at the instant of the release: the release is still held back for the
# tap's press to be seen when the pointer has already left.
click 335 15 0.1 0.6
[ "$(window_height)" = 31 ] || fail "not rolled up: height $(window_height)"
point 355 15
xdotool mousedown 1 sleep 0.01 mouseup 1 mousemove 200 200 mousemove_relative 1 0
restored=""
for _ in $(seq 20); do
  [ "$(window_height)" = 310 ] && restored=1 && break
  sleep 0.1
done
[ -n "$restored" ] || fail "a quick click on restore was lost: height $(window_height)"

xdotool key Escape
expect_program_end "Escape"

python3 - "$work/Prefs" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert len(data) == 40, f"Prefs has {len(data)} bytes"
width, height, mines = struct.unpack("<3i", data[20:32])
assert (width, height, mines) == (16, 10, 12), f"width {width}, height {height}, mines {mines}"
print("input.sh: burst ignored, one click counted, restore taken")
PY
