#!/usr/bin/env bash
# Start-up of the real program: it never runs without a visible window. 200 starts in a row
# (start, window seen, kill) all show the window; 30 starts against an X server that resets
# whenever its last client leaves (and drops connections meanwhile) all show it too; with no
# display, or one that does not exist, the program says so in one line, ends with code 1
# and touches no file.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=../../tools/lib/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/xvfb.sh"
x11_begin start "$@"
xvfb_pid=""
x11_on_exit() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
install_program "$work/run"

# Starts the program and waits up to 5 s for its window; kills it either way.
start_once() { # number
  "$work/run/tessaroc" 2>>"$work/log" &
  pid=$!
  local seen=""
  for _ in $(seq 100); do
    if xdotool search --pid "$pid" --name "Tessaroc" >/dev/null 2>&1; then seen=1; break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
  [ -n "$seen" ] || fail "start $1 on $DISPLAY: no window"
}

for i in $(seq 200); do start_once "$i"; done

# A server that resets when the killed program was its last client.
shared_display=$DISPLAY
start_private_xvfb 141 199 resetting
for i in $(seq 30); do start_once "resetting $i"; done
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
export DISPLAY=$shared_display

# No display: one line on stderr, code 1, nothing written into the program folder.
expect_refusal() { # what, env arguments...
  local what=$1 code=0
  shift
  rm -f "$work/run/Prefs" "$work/err"
  env "$@" "$work/run/tessaroc" 2>"$work/err" || code=$?
  [ "$code" = 1 ] || fail "$what: exit code $code"
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$what: stderr holds $(cat "$work/err")"
  grep -q "^tessaroc: cannot open the display" "$work/err" || fail "$what: $(cat "$work/err")"
  [ "$(ls "$work/run")" = "$(printf 'GFX\ntessaroc')" ] || fail "$what: files written"
}
expect_refusal "no DISPLAY" -u DISPLAY -u WAYLAND_DISPLAY
expect_refusal "missing display" -u WAYLAND_DISPLAY DISPLAY=:4321
echo "start.sh: ok"
