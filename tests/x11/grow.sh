#!/usr/bin/env bash
# A window that grows stays on the screen (1280 x 1024): the settings window at (900, 700)
# moves up and left just enough for the largest round (40 x 25, 819 x 588) and stays there
# when it shrinks back; the rolled-up bar dragged to the bottom edge grows back upwards when
# restored. A double click on the restore button, whose second press lands on the close
# button of the restored window, leaves the game running; a click on close later ends it.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin grow "$@"
install_program "$work"
unset GDK_SCALE TESSAROC_SCALE
xrdb -query >"$work/resources"
x11_on_exit() {
  if [ -s "$work/resources" ]; then xrdb -load "$work/resources"; else xrdb -remove; fi
  let_server_go
}
keep_server
xrdb -remove # the game's own size whatever the desktop's density

geometry() { # "x,y wxh" of the window
  xdotool getwindowgeometry --shell "$win" |
    awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] " " v["WIDTH"] "x" v["HEIGHT"] }'
}
python3 -c 'import struct, sys
sys.stdout.buffer.write(b"\0xst" + struct.pack("<9i", 0, 0, 0, 0, 15, 10, 12, 900, 700))' \
  >"$work/Prefs"

start_program "$work"
[ "$(geometry)" = "900,700 370x310" ] || fail "settings window at $(geometry)"
# The fourth preset (40 x 25) and start.
click $((900 + 315)) $((700 + 190))
click $((900 + 327)) $((700 + 234)) 0.1 0.6
[ "$(geometry)" = "461,436 819x588" ] || fail "the largest round at $(geometry)"
# Back to the settings screen: the window shrinks where it is.
click $((461 + 320)) $((436 + 50)) 0.1 0.6
[ "$(geometry)" = "461,436 370x310" ] || fail "back on the settings screen at $(geometry)"

# Roll up, drag the bar down to the bottom edge, restore: the window grows back upwards.
click $((461 + 335)) $((436 + 15)) 0.1 0.6
[ "$(geometry)" = "461,436 370x31" ] || fail "rolled up at $(geometry)"
point $((461 + 150)) $((436 + 12))
xdotool mousedown 1
sleep 0.1
for _ in $(seq 10); do xdotool mousemove_relative 0 55; sleep 0.03; done
sleep 0.2
xdotool mouseup 1
sleep 0.5
[ "$(geometry)" = "461,986 370x31" ] || fail "the bar dragged to $(geometry)"
click $((461 + 355)) $((986 + 15)) 0.1 0.8
[ "$(geometry)" = "461,714 370x310" ] || fail "restored at the bottom edge: $(geometry)"

# Roll up, then a double click on restore: the second press finds the close button.
click $((461 + 335)) $((714 + 15)) 0.1 0.6
[ "$(geometry)" = "461,714 370x31" ] || fail "rolled up again at $(geometry)"
point $((461 + 355)) $((714 + 15))
xdotool mousedown 1 sleep 0.06 mouseup 1 sleep 0.3 mousedown 1 sleep 0.06 mouseup 1
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a double click on restore ended the game"
[ "$(geometry)" = "461,714 370x310" ] || fail "after the double click on restore: $(geometry)"
click $((461 + 355)) $((714 + 15))
expect_program_end "the close button"
echo "grow.sh: ok"
