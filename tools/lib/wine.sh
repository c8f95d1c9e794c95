# A private Wine prefix for the Windows test programs; sourced by tools/*.sh.
# shellcheck shell=bash

# Makes a fresh prefix (about 700 MB, some 15 s), exports WINEPREFIX, silences Wine's own
# debugging output and leaves out the .NET and browser add-ons, which would ask to download.
start_private_wine_prefix() {
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
