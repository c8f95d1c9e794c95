#!/usr/bin/env bash
# The Windows program's window on the screen (1280 x 1024) under Wine: at 144 dots per inch
# (150 %) it is drawn at the game's own size, since twice as large the largest round
# (819 x 588) would not fit; the settings window at (900, 700) moves up and left just enough
# for the largest round; a double click on the restore button, whose second press lands on
# the close button of the restored window, leaves the game running, and the close button
# later ends it.
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). DISPLAY is set; Wine
# uses WINEPREFIX when set (its setting is put back at the end), else a private prefix.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin fit "$@"
wine_dpi_test

geometry() { # "x,y wxh" of the window
  xdotool getwindowgeometry --shell "$win" |
    awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] " " v["WIDTH"] "x" v["HEIGHT"] }'
}
# Waits up to 2 s for the window's geometry to become $1.
geometry_soon() {
  for _ in $(seq 20); do [ "$(geometry)" = "$1" ] && return 0; sleep 0.1; done
  return 1
}

cp "$exe" "$work/tessaroc.exe"
cp -r "$build/GFX" "$work/GFX"
python3 -c 'import struct, sys
sys.stdout.buffer.write(b"\0xst" + struct.pack("<9i", 0, 0, 0, 0, 15, 10, 12, 900, 700))' \
  >"$work/Prefs"

set_dpi 144
start_wine_program "$work"
geometry_soon "900,700 370x310" || fail "144 dpi: settings window at $(geometry)"
# The fourth preset (40 x 25) and start: the window moves to stay on the screen.
click $((900 + 315)) $((700 + 190))
click $((900 + 327)) $((700 + 234)) 0.1 0.6
geometry_soon "461,436 819x588" || fail "the largest round at $(geometry)"
# Back to the settings screen, roll up, and a double click on restore.
click $((461 + 320)) $((436 + 50)) 0.1 0.6
geometry_soon "461,436 370x310" || fail "back on the settings screen at $(geometry)"
click $((461 + 335)) $((436 + 15)) 0.1 0.6
geometry_soon "461,436 370x31" || fail "rolled up at $(geometry)"
point $((461 + 355)) $((436 + 15))
xdotool mousedown 1 sleep 0.06 mouseup 1 sleep 0.3 mousedown 1 sleep 0.06 mouseup 1
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a double click on restore ended the game"
geometry_soon "461,436 370x310" || fail "after the double click on restore: $(geometry)"
click $((461 + 355)) $((436 + 15))
expect_program_end "the close button"
echo "fit.sh: ok"
