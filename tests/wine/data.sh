#!/usr/bin/env bash
# The Windows program's data under Wine through a real window:
# - a "Prefs" with the read-only attribute in the program folder is read (its option shows
#   up in the saved settings) and saved in the per-user application-data folder; the file
#   itself keeps its bytes;
# - the end of the session (wineboot --end-session: WM_QUERYENDSESSION, WM_ENDSESSION) saves
#   the settings, and the best time whose name was being typed, with the name typed so far.
# $1: tessaroc.exe, $2: the build folder (its GFX folder is copied). DISPLAY is set; Wine
# uses WINEPREFIX when set, else a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/wine_test.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_test.sh"
wine_test_begin data "$@"
x11_on_exit() {
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$user_data"
  stop_own_wine_prefix
}
user_data=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
user_data=$(winepath -u "$user_data" 2>/dev/null)/Tessaroc
rm -rf "$user_data"

# A "Prefs" record: options, board, position.
prefs_record() { # star empty animation gradient width height mines x y
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',*map(int,sys.argv[1:])))" "$@"
}
prefs_int() { # file offset
  od -An -t d4 -j "$2" -N 4 "$1" | tr -d ' '
}

# ---------------------------------------------------------------- the read-only attribute

folder=$work/readonly
mkdir -p "$folder"
cp "$exe" "$folder/tessaroc.exe"
cp -r "$build/GFX" "$folder/GFX"
prefs_record 0 0 0 1 15 10 12 0 0 >"$folder/Prefs" # the title bar's gradient on
cp "$folder/Prefs" "$work/prefs.before"
chmod a-w "$folder/Prefs" # Wine shows it with the read-only attribute
start_wine_program "$folder"
click 315 190 # the fourth preset: 40 x 25
click 355 15  # the close button
expect_program_end "the close button"
cmp -s "$folder/Prefs" "$work/prefs.before" || fail "the read-only Prefs changed"
[ -f "$user_data/Prefs" ] || fail "no Prefs in $user_data"
[ "$(prefs_int "$user_data/Prefs" 16),$(prefs_int "$user_data/Prefs" 20)" = "1,40" ] ||
  fail "the per-user Prefs holds gradient $(prefs_int "$user_data/Prefs" 16), width $(prefs_int "$user_data/Prefs" 20)"

# ---------------------------------------------------------------- the end of the session

folder=$work/session
mkdir -p "$folder"
cp "$exe" "$folder/tessaroc.exe"
cp -r "$build/GFX" "$folder/GFX"
start_wine_program "$folder"
quick_click 327 234 # a Leicht round, won, and a name begun on the top-ten screen
win_easy_round "$folder/tessaroc.exe" x86_64-w64-mingw32-nm
sleep 0.5
quick_click 265 50
await_name_entry
tap i
tap d
wineboot --end-session >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the end of the session did not end the program"
pid=""
[ "$(prefs_int "$folder/Prefs" 20 2>/dev/null)" = 15 ] ||
  fail "the end of the session left Prefs without the width 15"
expect_first_leicht_name "$folder/TopList" id
echo "wine data.sh: ok"
