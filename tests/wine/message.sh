#!/usr/bin/env bash
# The Windows program under Wine, started without its GFX folder from a folder whose name holds
# letters outside the game's code page: a message box titled "Tessaroc: Bilder fehlen" appears
# and the program waits for it; once the player closes it with Return, the program ends with
# exit code 1, and stderr holds the same text, naming the missing folder in its own letters.
# /? prints the usage naming %LOCALAPPDATA%\Tessaroc; with no standard handles (as from
# Explorer) a wrong call shows its answer in a box "Tessaroc", then ends with 2.
# $1: tessaroc.exe, $2: the build folder. DISPLAY is set; Wine uses WINEPREFIX when set, else
# a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin message "$@"

run="$work/Łódź Москва"
mkdir -p "$run"
cp "$exe" "$run/tessaroc.exe"
(cd "$work" && exec wine "$run/tessaroc.exe" 2>>"$work/log") &
pid=$!
await_message_box "Tessaroc: Bilder fehlen" 300
sleep 1
kill -0 "$pid" 2>/dev/null || fail "did not wait for the box to be closed"
grep -q "^tessaroc: Bilder fehlen: Der Ordner .*/Łódź Москва/GFX/ mit den Bildern des Spiels fehlt" \
  "$work/log" || fail "stderr does not name the folder"
close_box_and_expect_end 1
usage=$(timeout 60 wine "$run/tessaroc.exe" '/?' 2>>"$work/log" | tr -d '\r') || fail "/?: exit code $?"
grep -qF '%LOCALAPPDATA%\Tessaroc' <<<"$usage" || fail "/? printed: $usage"
(cd "$work" && exec wine start /wait /unix "$run/tessaroc.exe" dropped.txt >/dev/null 2>&1) &
pid=$!
await_message_box "Tessaroc" 300
close_box_and_expect_end 2
echo "message.sh: ok"
