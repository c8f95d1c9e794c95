#!/usr/bin/env bash
# The Windows program under Wine through a real window: started from another folder in a
# program folder whose name has an umlaut, the settings screen, a preset, a round with a click
# on a cell, the face button, a won round with a name typed on the top-ten screen (kept in
# "TopList"), the back button, a drag of the title bar, and Escape, which ends the program
# with exit code 0 and leaves the new position in "Prefs". Pixels of screenshots are checked
# at known places of the layout (the same as on Linux). The won round clicks exactly the safe
# cells, read from the running program's memory (tools/lib/safe_cells.py).
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). DISPLAY is set; Wine
# uses WINEPREFIX when set, else a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin smoke "$@"
shots=$build/wine-smoke
mkdir -p "$shots"

folder="$work/Tessaröc Spiel"
mkdir -p "$folder"
cp "$exe" "$folder/tessaroc.exe"
cp -r "$build/GFX" "$folder/GFX"

start_wine_program "$folder"

# Settings screen, presets, a round, a cell, the face button: as on Linux.
play_first_round

# Win the new round (15 x 10, 12 mines); the end screen's face button leads to the top-ten
# screen (350 x 360) with the new time sliding in; then the name and Return.
win_easy_round "$folder/tessaroc.exe" x86_64-w64-mingw32-nm
sleep 0.3
shot won
[ "$(cell_differs_from_tile won 10 78 1)" != "0" ] || fail "the won round left cell (0, 0) covered"
click 265 50
for _ in $(seq 30); do [ "$(window_size)" = "350x360" ] && break; sleep 0.1; done
[ "$(window_size)" = "350x360" ] || fail "no top-ten screen after the win: $(window_size)"
sleep 1.5
type_joerg
tap Return
sleep 0.3
shot toplist
expect_first_leicht_name "$folder/TopList" 'J\xf6rg'

# A click ends the top-ten screen: a new round; then the back button and a drag of the title
# bar by (100, 50): the system's own move of the window.
click 150 200
sleep 0.3
[ "$(window_size)" = "370x288" ] || fail "after the top-ten screen the window is $(window_size)"
back_and_drag_title_bar

# Escape on the settings screen ends the program through its ordinary end.
point 300 220
tap Escape
expect_program_end "Escape"
expected="00787374000000000000000000000000000000000f0000000a0000000c0000006400000032000000"
got=$(xxd -p "$folder/Prefs" | tr -d '\n')
[ "$got" = "$expected" ] || fail "Prefs holds $got, expected $expected"
echo "smoke.sh: ok"
