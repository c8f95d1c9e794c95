#!/usr/bin/env bash
# Dragging the title bar of the real window: the window follows the pointer, the release is
# taken by the drag (no stray click), clicks afterwards hit the controls under the pointer,
# and the new position reaches "Prefs". Runs once on the bare X server and, when openbox is
# installed, once more under that window manager.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin drag "$@"
wm=""
x11_on_exit() {
  if [ -n "$wm" ] && kill -0 "$wm" 2>/dev/null; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  fi
}

# Colour of a pixel of the screen as it is now.
pixel_now() { shot now; pixel now "$1" "$2"; }
position() { # sets X and Y to the window's desktop position
  eval "$(xdotool getwindowgeometry --shell "$win")"
}
# Little-endian int32 of Prefs at the byte offset.
prefs_int() { od -An -t d4 -j "$1" -N 4 "$work/Prefs" | tr -d ' '; }

run() {
  fail_prefix="drag.sh ($1)"
  rm -f "$work/Prefs"
  install_program "$work"
  start_program "$work"
  sleep 0.2
  position
  local x0=$X y0=$Y

  # Press on the bare title bar, move 120 right and 80 down in steps, release.
  drag_120_80 $((x0 + 150)) $((y0 + 12))
  position
  [ "$X,$Y" = "$((x0 + 120)),$((y0 + 80))" ] || fail "window at $X,$Y after the drag from $x0,$y0"
  # The release ended the drag only: the settings are unchanged (bar of width 15 ends at 146).
  [ "$(pixel_now $((X + 200)) $((Y + 77)))" = "195,200,205" ] || fail "the drag's release clicked"

  # The fourth preset, clicked at its new place, fills the width bar.
  click $((X + 315)) $((Y + 190)) 0.1 0.4
  [ "$(pixel_now $((X + 200)) $((Y + 77)))" != "195,200,205" ] || fail "click after the drag missed"

  # The close button ends the program, which stores the new position.
  click $((X + 355)) $((Y + 15)) 0.1 0.4
  expect_program_end "the close button"
  [ "$(prefs_int 32),$(prefs_int 36)" = "$X,$Y" ] || fail "Prefs holds $(prefs_int 32),$(prefs_int 36)"
}

run "no window manager"
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  run "openbox"
fi
echo "drag.sh: ok"
