#!/usr/bin/env bash
# The installed tree: "cmake --install" into a fresh prefix, then the program run from its
# bin folder made read-only, with an empty home. The sheets load from share/tessaroc/GFX, the
# preferences go to ~/.local/share/tessaroc (made for the user alone) and nowhere else, and a
# second run reads them back: the chosen preset and the window's place after a drag. A third
# run from a writable bin folder (as root's) still writes nothing beside the program.
# $1: the tessaroc executable (unused: the installed one runs), $2: the build folder.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$here/../x11/lib/common.sh"
# shellcheck source=SCRIPTDIR/lib/installed.sh
source "$here/lib/installed.sh"
x11_begin installed "$@"
prefix=$work/prefix
x11_on_exit() {
  writable_again "$prefix/bin"
  let_server_go
}
keep_server

cmake --install "$build" --prefix "$prefix" >/dev/null
fresh_home

# First run: the window at the desktop's corner, the sheets drawn.
start_readonly_program "$prefix/bin"
[ "$(window_position)" = "0,0" ] || fail "first window at $(window_position)"
start_button_drawn 0 0 || fail "the start button's sheet was not drawn"
[ ! -e "$prefix/bin/Prefs" ] || fail "Prefs made in the read-only program folder"

# The fourth preset (40 x 25), a drag of the title bar by (120, 80), the close button.
click 315 190
drag_120_80 150 12
[ "$(window_position)" = "120,80" ] || fail "window at $(window_position) after the drag"
click $((120 + 355)) $((80 + 15))
expect_program_end "the close button"

# The per-user folder holds the 40 bytes, for its owner alone; no other Prefs anywhere.
prefs=$user_data/Prefs
[ -f "$prefs" ] || fail "no Prefs in $user_data"
[ "$(stat -c %s "$prefs")" = "40" ] || fail "Prefs has $(stat -c %s "$prefs") bytes"
[ "$(stat -c %a "$user_data")" = "700" ] || fail "$user_data has mode $(stat -c %a "$user_data")"
[ "$(prefs_int "$prefs" 20),$(prefs_int "$prefs" 24),$(prefs_int "$prefs" 28)" = "40,25,200" ] ||
  fail "Prefs holds the board $(prefs_int "$prefs" 20),$(prefs_int "$prefs" 24),$(prefs_int "$prefs" 28)"
[ "$(prefs_int "$prefs" 32),$(prefs_int "$prefs" 36)" = "120,80" ] ||
  fail "Prefs holds the position $(prefs_int "$prefs" 32),$(prefs_int "$prefs" 36)"
[ "$(files_named "$work" Prefs)" = "$prefs" ] || fail "Prefs also at: $(files_named "$work" Prefs)"

# Second run: the stored place and the wide board are read back.
start_readonly_program "$prefix/bin"
[ "$(window_position)" = "120,80" ] || fail "second window at $(window_position)"
shot again
[ "$(pixel again $((120 + 200)) $((80 + 77)))" != "195,200,205" ] ||
  fail "the second run shows the default width, not the stored 40"
press_escape 320 280
expect_program_end "Escape"

# Third run with the bin folder writable, as for root: the program still keeps its data per
# user and leaves nothing beside itself, which no package would own.
writable_again "$prefix/bin"
start_program "$prefix/bin"
press_escape 200 280
expect_program_end "Escape with a writable bin folder"
[ ! -e "$prefix/bin/Prefs" ] || fail "Prefs made beside the installed program"
[ "$(files_named "$work" Prefs)" = "$prefs" ] || fail "Prefs also at: $(files_named "$work" Prefs)"
echo "installed.sh: ok"
