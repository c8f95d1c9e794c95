#!/usr/bin/env bash
# What the player is told through the real window: started without its GFX folder (as from
# a menu, with no terminal to read) in a folder whose name holds letters outside the game's
# code page, the program shows a message box titled "Tessaroc: Bilder fehlen" on its display
# and waits for it; once the player closes the box with Return, the program ends with code 1,
# and stderr holds the same text, naming the missing folder in its own letters. SIGTERM ends
# the box and the program through its ordinary end; a program killed outright takes its box.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin message "$@"
run="$work/Łódź Москва"
install_program "$run"
rm -rf "$run/GFX"

show_box() {
  "$run/tessaroc" >/dev/null 2>>"$work/log" &
  pid=$!
  await_message_box "Tessaroc: Bilder fehlen" 100
}
expect_box_gone() { # what ended it; the box must leave the display within 5 s
  for _ in $(seq 50); do xwininfo -id "$box" >/dev/null 2>&1 || return 0; sleep 0.1; done
  fail "$1: the box outlived the program"
}

show_box
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
shot box
grep -q "^tessaroc: Bilder fehlen: Der Ordner $run/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"
close_box_and_expect_end 1

show_box
kill -TERM "$pid"
expect_box_gone SIGTERM
wait "$pid" || code=$?
[ "${code:-0}" = 1 ] || fail "SIGTERM: exit code ${code:-0}, expected 1"

show_box
kill -KILL "$pid"
expect_box_gone SIGKILL
echo "message.sh: ok"
