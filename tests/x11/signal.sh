#!/usr/bin/env bash
# SIGINT, SIGTERM and SIGHUP end the real program through its ordinary end, which saves
# "Prefs": on the idle settings screen, while a push button is held down (a modal loop; a
# quit is no release, so the button does not act), in the middle of a round, while the name
# of a best time is typed (kept as typed so far). When the X
# server goes away, "Prefs" is saved too, and the program ends with code 1 and one line on
# stderr.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=../../tools/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/xvfb.sh"
x11_begin signal "$@"
xvfb_pid=""
x11_on_exit() {
  xdotool mouseup 1 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# Starts the program in a fresh folder holding a Prefs record with the given width.
start() { # width
  rm -rf "$work/run"
  install_program "$work/run"
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',0,0,0,0,$1,10,12,0,0))" >"$work/run/Prefs"
  start_program "$work/run"
}

# Expects "Prefs" to hold the width.
expect_width() { # what width
  local width
  width=$(python3 -c "import struct,sys; d=open('$work/run/Prefs','rb').read(); print(len(d), d[1:4].decode(), struct.unpack('<i', d[20:24])[0])")
  [ "$width" = "40 xst $2" ] || fail "$1: Prefs reads '$width', expected '40 xst $2'"
}

# Sends the signal and expects an ordinary end with the width written back.
stop() { # signal width
  kill "-$1" "$pid"
  expect_program_end "SIG$1"
  expect_width "SIG$1" "$2"
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

start 24
stop HUP 24

start 15 # Leicht: 15 x 10 with 12 mines
quick_click 327 234
win_easy_round "$work/run/tessaroc" nm
sleep 0.5
quick_click 265 50
await_name_entry
tap i
tap d
stop TERM 15
expect_first_leicht_name "$work/run/TopList" id

# The display goes away under a game whose width was changed (first preset: 15).
shared_display=$DISPLAY
start_private_xvfb 141 199
start 25
click 60 190
said=$(wc -l <"$work/log")
kill "$xvfb_pid"
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
code=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" || code=$?
pid=""
export DISPLAY=$shared_display
[ "$code" != 0 ] || fail "display lost: exit code 0"
tail -n +$((said + 1)) "$work/log" >"$work/lost"
grep -q "^tessaroc: lost the connection to the display" "$work/lost" || fail "display lost: no message"
[ "$(grep -c . "$work/lost")" = 1 ] || fail "display lost: more than one line on stderr"
expect_width "display lost" 15
echo "signal.sh: ok"
