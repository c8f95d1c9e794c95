#!/usr/bin/env bash
# The Windows program under Wine, started without its GFX folder: a message box titled
# "Tessaroc: Bilder fehlen" appears and the program waits for it; once the player closes it
# with Return, the program ends with exit code 1, and stderr holds the same text, naming the
# missing folder.
# $1: tessaroc.exe, $2: the build folder. DISPLAY is set; Wine uses WINEPREFIX when set, else
# a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin message "$@"

mkdir -p "$work/run"
cp "$exe" "$work/run/tessaroc.exe"
(cd "$work" && exec wine "$work/run/tessaroc.exe" 2>>"$work/log") &
pid=$!
await_message_box "Tessaroc: Bilder fehlen" 300
sleep 1
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
grep -q "^tessaroc: Bilder fehlen: Der Ordner .*/run/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"
close_box_and_expect_end 1
echo "message.sh: ok"
