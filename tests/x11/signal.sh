#!/usr/bin/env bash
# SIGINT and SIGTERM end the real program through its ordinary end, which saves "Prefs":
# once on the idle settings screen, once while a push button is held down (a modal loop),
# once in the middle of a round.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
exe=$1
build=$2
work=$(mktemp -d /tmp/tessaroc-x11-signal-XXXXXX)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  xdotool mouseup 1 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "signal.sh: $*" >&2; exit 1; }
point() { xdotool mousemove "$1" "$2"; xdotool mousemove_relative 1 0; xdotool mousemove_relative -- -1 0; sleep 0.05; }
click() { point "$1" "$2"; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.3; }

# Starts the program in a fresh folder holding a Prefs record with the given width.
start() { # width
  rm -rf "$work/run"
  mkdir -p "$work/run"
  cp "$exe" "$work/run/tessaroc"
  cp -r "$build/GFX" "$work/run/GFX"
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',0,0,0,0,$1,10,12,0,0))" >"$work/run/Prefs"
  "$work/run/tessaroc" &
  pid=$!
  for _ in $(seq 100); do
    xdotool search --name "Tessaroc by Varnholt" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 0.5
}

# Sends the signal and expects an ordinary end with the width written back.
stop() { # signal width
  kill "-$1" "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "SIG$1 did not end the program"
  wait "$pid" || fail "SIG$1: exit code $?"
  pid=""
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
stop TERM 15
xdotool mouseup 1

start 23
click 327 234
click 15 83
stop TERM 23
echo "signal.sh: ok"
