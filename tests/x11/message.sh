#!/usr/bin/env bash
# What the player is told through the real window: started without its GFX folder (as from
# a menu, with no terminal to read), the program shows a message box titled "Tessaroc: Bilder
# fehlen" on its display and waits for it; once the player closes the box with Enter, the
# program ends with code 1, and stderr holds the same text, naming the missing folder.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin message "$@"
install_program "$work/run"
rm -rf "$work/run/GFX"

"$work/run/tessaroc" 2>>"$work/log" &
pid=$!
box=""
for _ in $(seq 100); do
  box=$(xwininfo -root -tree | awk '/"Tessaroc: Bilder fehlen"/ && !found { print $1; found = 1 }')
  [ -n "$box" ] && break
  kill -0 "$pid" 2>/dev/null || fail "ended before showing the box"
  sleep 0.1
done
[ -n "$box" ] || fail "no message box on $DISPLAY"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
shot box
grep -q "^tessaroc: Bilder fehlen: Der Ordner $work/run/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"

# The player presses Enter on the box (held as a hand holds a key).
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool keydown --window "$box" Return
sleep 0.1
xdotool keyup --window "$box" Return
code=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end once the box was closed"
wait "$pid" || code=$?
pid=""
[ "$code" = 1 ] || fail "exit code $code, expected 1"
echo "message.sh: ok"
