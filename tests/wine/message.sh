#!/usr/bin/env bash
# The Windows program under Wine, started without its GFX folder: a message box titled
# "Tessaroc: Bilder fehlen" appears and the program waits for it; once the player closes it
# with Return, the program ends with exit code 1, and stderr holds the same text, naming the
# missing folder.
# $1: tessaroc.exe, $2: the build folder. DISPLAY is set; Wine uses WINEPREFIX when set, else
# a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../x11/lib/common.sh"
x11_begin wine-message "$@"
# shellcheck source=SCRIPTDIR/../../tools/lib/wine.sh
source "$tests_root/tools/lib/wine.sh"
begin_wine_test
x11_on_exit() { stop_own_wine_prefix; }

mkdir -p "$work/run"
cp "$exe" "$work/run/tessaroc.exe"
(cd "$work" && exec wine "$work/run/tessaroc.exe" 2>>"$work/log") &
pid=$!
box=""
for _ in $(seq 300); do
  box=$(xwininfo -root -tree | awk '/"Tessaroc: Bilder fehlen"/ && !found { print $1; found = 1 }')
  [ -n "$box" ] && break
  kill -0 "$pid" 2>/dev/null || fail "ended before showing the box"
  sleep 0.1
done
[ -n "$box" ] || fail "no message box on $DISPLAY"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
grep -q "^tessaroc: Bilder fehlen: Der Ordner .*/run/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"

# The player presses Return on the box.
xdotool windowfocus "$box" 2>/dev/null || true
sleep 0.2
xdotool keydown Return
sleep 0.1
xdotool keyup Return
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end once the box was closed"
code=0
wait "$pid" || code=$?
pid=""
[ "$code" = 1 ] || fail "exit code $code, expected 1"
echo "message.sh: ok"
