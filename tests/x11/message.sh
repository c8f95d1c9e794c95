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
await_message_box "Tessaroc: Bilder fehlen" 100
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
shot box
grep -q "^tessaroc: Bilder fehlen: Der Ordner $work/run/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"
close_box_and_expect_end 1
echo "message.sh: ok"
