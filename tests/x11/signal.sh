#!/usr/bin/env bash
# SIGINT and SIGTERM end the real program through its ordinary end, which saves "Prefs":
# once on the idle settings screen, once while a push button is held down (a modal loop; a
# quit is no release, so the button does not act), once in the middle of a round.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin signal "$@"
x11_on_exit() { xdotool mouseup 1 2>/dev/null || true; }

# Starts the program in a fresh folder holding a Prefs record with the given width.
start() { # width
  rm -rf "$work/run"
  install_program "$work/run"
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',0,0,0,0,$1,10,12,0,0))" >"$work/run/Prefs"
  start_program "$work/run"
}

# Sends the signal and expects an ordinary end with the width written back.
stop() { # signal width
  kill "-$1" "$pid"
  expect_program_end "SIG$1"
  local width
  width=$(python3 -c "import struct,sys; d=open('$work/run/Prefs','rb').read(); print(len(d), d[1:4].decode(), struct.unpack('<i', d[20:24])[0])")
  [ "$width" = "40 xst $2" ] || fail "SIG$1: Prefs reads '$width', expected '40 xst $2'"
}

start 21
stop INT 21

start 22
point 60 190
xdotool mousedown 1 # the first preset, held: the press loop runs
sleep 0.5
stop TERM 22
xdotool mouseup 1

start 23
click 327 234
click 15 83
stop TERM 23
echo "signal.sh: ok"
