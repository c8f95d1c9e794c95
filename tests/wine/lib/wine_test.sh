# Shared set-up of the Windows program's tests through the real window under Wine, sourced by
# tests/wine/*.sh on top of the X11 tests' own (tests/x11/lib/common.sh).
# shellcheck shell=bash
#
# A test calls `wine_test_begin <name> "$@"` with its own two arguments ($1 tessaroc.exe, $2
# the build folder). Wine then uses WINEPREFIX when set, else a private prefix made here and
# removed at the end; a test that defines its own x11_on_exit calls stop_own_wine_prefix in it.

# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../x11/lib/common.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/wine.sh
source "$tests_root/tools/lib/wine.sh"

wine_test_begin() { # name exe build
  x11_begin "wine-$1" "$2" "$3"
  begin_wine_test
  x11_on_exit() { stop_own_wine_prefix; }
}

# Starts tessaroc.exe of the folder from the work folder (the program finds its own folder),
# waits for its window and gives it the keyboard, as a window manager does (a program that
# ran on this X server before may have left the focus nowhere); sets pid and win.
start_wine_program() { # folder
  (cd "$work" && exec wine "$1/tessaroc.exe" 2>>"$work/log") &
  pid=$!
  await_window 300
  xdotool windowfocus "$win"
  sleep 0.5
}
