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

# For a test that sets the display's dots per inch (set_dpi): the automatic scale comes from
# it, so the caller's own scale setting is dropped, and a caller's prefix gets 96 back at the
# end (end_wine_dpi_test, which a test's own x11_on_exit calls).
wine_dpi_test() {
  unset TESSAROC_SCALE
  x11_on_exit() { end_wine_dpi_test; }
}

set_dpi() { # dots per inch; read by each Wine process as it starts
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -w
}

end_wine_dpi_test() {
  if [ -n "$own_prefix" ]; then
    stop_private_wine_prefix
  else
    set_dpi 96
  fi
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
