# A private Wine prefix for the Windows test programs; sourced by tools/*.sh.
# shellcheck shell=bash

# Wine maps file names through the locale: without one it cannot make a file or folder
# whose name has umlauts. Debian always has C.UTF-8.
wine_locale() {
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
}

# Makes a fresh prefix (about 700 MB, some 15 s), exports WINEPREFIX, silences Wine's own
# debugging output and leaves out the .NET and browser add-ons, which would ask to download.
start_private_wine_prefix() {
  wine_locale
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  WINEPREFIX=$(mktemp -d /tmp/tessaroc-wine-XXXXXX)
  env -u DISPLAY wineboot --init >/dev/null 2>&1
  wineserver -w
}

# Waits for the prefix's Wine processes to end, then removes it.
stop_private_wine_prefix() {
  [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] || return 0
  wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}

# The Wine set-up of a real-window test (after x11_begin): Wine quiet and without the add-ons,
# in the prefix WINEPREFIX names, else in a private one made here; own_prefix names the
# private one ("" when there is none), for stop_own_wine_prefix at the end.
begin_wine_test() {
  wine_locale
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  own_prefix=""
  if [ -z "${WINEPREFIX:-}" ]; then
    start_private_wine_prefix
    own_prefix=$WINEPREFIX
  fi
}

# Removes the private prefix of begin_wine_test, if it made one; true otherwise.
stop_own_wine_prefix() {
  if [ -n "$own_prefix" ]; then stop_private_wine_prefix; fi
}
