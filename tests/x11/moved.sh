#!/usr/bin/env bash
# A window moved by the window manager (openbox): after an Alt-drag and after a move the
# window manager makes on its own, clicks land where the pointer is and "Prefs" stores the
# position the window has at the end. Skipped (passes) when openbox is not installed.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin moved "$@"
wm=""
x11_on_exit() {
  xdotool keyup alt 2>/dev/null || true
  xdotool mouseup 1 2>/dev/null || true
  if [ -n "$wm" ] && kill -0 "$wm" 2>/dev/null; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  fi
}
if ! command -v openbox >/dev/null; then
  echo "moved.sh: openbox not installed, skipped"
  exit 0
fi

pixel_now() { shot now; pixel now "$1" "$2"; }
position() { # sets X and Y to the window's desktop position
  eval "$(xdotool getwindowgeometry --shell "$win")"
}
prefs_int() { od -An -t d4 -j "$1" -N 4 "$work/Prefs" | tr -d ' '; }
# The settings screen's grey where the width bar is empty (a bar of width 15 ends at 146).
grey="195,200,205"

openbox >/dev/null 2>&1 &
wm=$!
sleep 1
install_program "$work"
start_program "$work"
sleep 0.3
position
x0=$X y0=$Y

# Alt-drag from inside the window (openbox moves it; the game sees nothing of it): by
# (+100, +80) in steps.
point $((x0 + 200)) $((y0 + 200))
xdotool keydown alt
sleep 0.1
xdotool mousedown 1
sleep 0.1
for _ in $(seq 10); do xdotool mousemove_relative 10 8; sleep 0.03; done
sleep 0.1
xdotool mouseup 1
sleep 0.1
xdotool keyup alt
sleep 0.4
position
[ "$X,$Y" = "$((x0 + 100)),$((y0 + 80))" ] || fail "Alt-drag left the window at $X,$Y (from $x0,$y0)"
[ "$(pixel_now $((X + 200)) $((Y + 77)))" = "$grey" ] || fail "the Alt-drag changed a setting"

# A click left of the height bar hits nothing; the fourth preset at its new place fills the
# width bar.
click $((X + 60)) $((Y + 110)) 0.1 0.4
[ "$(pixel_now $((X + 200)) $((Y + 77)))" = "$grey" ] || fail "a click beside the bars acted"
click $((X + 315)) $((Y + 190)) 0.1 0.4
[ "$(pixel_now $((X + 200)) $((Y + 77)))" != "$grey" ] || fail "the preset at the new place missed"

# The window manager moves the window on its own; the first preset at the new place brings
# the width back to 15.
xdotool windowmove "$win" 40 30
sleep 0.4
position
[ "$X,$Y" = "40,30" ] || fail "windowmove left the window at $X,$Y"
click $((X + 60)) $((Y + 190)) 0.1 0.4
[ "$(pixel_now $((X + 200)) $((Y + 77)))" = "$grey" ] || fail "the preset after windowmove missed"

# The close button at the new place ends the program, which stores where the window is.
click $((X + 355)) $((Y + 15)) 0.1 0.4
expect_program_end "the close button"
[ "$(prefs_int 32),$(prefs_int 36)" = "$X,$Y" ] || fail "Prefs holds $(prefs_int 32),$(prefs_int 36), not $X,$Y"
echo "moved.sh: ok"
