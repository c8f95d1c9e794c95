#!/usr/bin/env bash
# The portable folder: a writable program folder keeps "Prefs" beside the executable, and no
# per-user folder is made in the home.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied).
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$here/../x11/lib/common.sh"
# shellcheck source=SCRIPTDIR/lib/installed.sh
source "$here/lib/installed.sh"
x11_begin portable "$@"
x11_on_exit() { let_server_go; }
keep_server
folder=$work/game
install_program "$folder"
fresh_home

start_program "$folder"
start_button_drawn 0 0 || fail "the start button's sheet was not drawn"
click 315 190
press_escape 200 280
expect_program_end "Escape"

[ "$(stat -c %s "$folder/Prefs" 2>/dev/null)" = "40" ] || fail "no 40-byte Prefs beside the executable"
[ "$(prefs_int "$folder/Prefs" 20)" = "40" ] || fail "Prefs holds the width $(prefs_int "$folder/Prefs" 20)"
[ ! -e "$home/.local" ] || fail "a per-user folder was made: $(find "$home/.local")"
echo "portable.sh: ok"
