#!/usr/bin/env bash
# Dragging the title bar of the real window: the window follows the pointer, the release is
# taken by the drag (no stray click), clicks afterwards hit the controls under the pointer,
# and the new position reaches "Prefs". Runs once on the bare X server and, when openbox is
# installed, once more under that window manager.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
exe=$1
build=$2
work=$(mktemp -d /tmp/tessaroc-x11-drag-XXXXXX)
pid=""
wm=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "$wm" ] && kill -0 "$wm" 2>/dev/null; then
    kill "$wm" 2>/dev/null || true
    wait "$wm" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "drag.sh ($mode): $*" >&2; exit 1; }
# Colour of a pixel of the screen as "r,g,b".
pixel() {
  import -window root "$work/shot.png"
  convert "$work/shot.png" -format \
    "%[fx:round(255*p{$1,$2}.r)],%[fx:round(255*p{$1,$2}.g)],%[fx:round(255*p{$1,$2}.b)]" info:
}
click() { xdotool mousemove "$1" "$2"; sleep 0.1; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.4; }
position() { # sets X and Y to the window's desktop position
  eval "$(xdotool getwindowgeometry --shell "$win")"
}
# Little-endian int32 of Prefs at the byte offset.
prefs_int() { od -An -t d4 -j "$1" -N 4 "$work/Prefs" | tr -d ' '; }

run() {
  mode=$1
  rm -f "$work/Prefs"
  cp "$exe" "$work/tessaroc"
  rm -rf "$work/GFX"
  cp -r "$build/GFX" "$work/GFX"
  (cd "$work" && exec ./tessaroc) &
  pid=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no window"
  sleep 0.7
  position
  local x0=$X y0=$Y

  # Press on the bare title bar, move 120 right and 80 down in steps, release.
  xdotool mousemove $((x0 + 150)) $((y0 + 12))
  sleep 0.1
  xdotool mousedown 1
  sleep 0.1
  for _ in $(seq 10); do xdotool mousemove_relative 12 8; sleep 0.03; done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
  position
  [ "$X,$Y" = "$((x0 + 120)),$((y0 + 80))" ] || fail "window at $X,$Y after the drag from $x0,$y0"
  # The release ended the drag only: the settings are unchanged (bar of width 15 ends at 146).
  [ "$(pixel $((X + 200)) $((Y + 77)))" = "195,200,205" ] || fail "the drag's release clicked"

  # The fourth preset, clicked at its new place, fills the width bar.
  click $((X + 315)) $((Y + 190))
  [ "$(pixel $((X + 200)) $((Y + 77)))" != "195,200,205" ] || fail "click after the drag missed"

  # The close button ends the program, which stores the new position.
  click $((X + 355)) $((Y + 15))
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then fail "the close button did not end the program"; fi
  wait "$pid" || true
  pid=""
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
