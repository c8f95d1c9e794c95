#!/usr/bin/env bash
# The Debian package: "cpack -G DEB" in the build folder makes a .deb whose dependencies
# name the shared libraries of the program and the fonts, holding the installed tree under
# /usr. Unpacked with "dpkg -x" into a fresh root, its program runs with the bin folder
# read-only and an empty home, shows its sheets, and after Escape "Prefs" is in
# ~/.local/share/tessaroc and nowhere else.
# $1: the tessaroc executable (unused: the packaged one runs), $2: the build folder.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$here/../x11/lib/common.sh"
# shellcheck source=SCRIPTDIR/lib/installed.sh
source "$here/lib/installed.sh"
x11_begin package "$@"
root=$work/root
x11_on_exit() {
  writable_again "$root/usr/bin"
  let_server_go
}
keep_server

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$work/out" -maxdepth 1 -name 'tessaroc_*.deb')
[ -n "$deb" ] || fail "no tessaroc_*.deb made"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libstdc++6 libsdl2-2.0-0 libfreetype6 libfontconfig1 fonts-liberation; do
  [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
    fail "Depends lacks $package: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/tessaroc usr/share/tessaroc/GFX/TileSet.bmp \
  usr/share/tessaroc/GFX/Quibbuttons.bmp usr/share/applications/io.github.tessaroc.Tessaroc.desktop \
  usr/share/metainfo/io.github.tessaroc.Tessaroc.metainfo.xml usr/share/man/man6/tessaroc.6 \
  usr/share/icons/hicolor/16x16/apps/io.github.tessaroc.Tessaroc.png \
  usr/share/icons/hicolor/256x256/apps/io.github.tessaroc.Tessaroc.png; do
  grep -qx "./$path" <<<"$contents" || fail "the package lacks /$path"
done
if grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$'; then
  fail "the package installs outside /usr: $(grep -v '^\./usr/' <<<"$contents" | head -3)"
fi

dpkg -x "$deb" "$root"
fresh_home
start_readonly_program "$root/usr/bin"
start_button_drawn 0 0 || fail "the start button's sheet was not drawn"
press_escape 200 280
expect_program_end "Escape"
[ "$(stat -c %s "$user_data/Prefs" 2>/dev/null)" = "40" ] || fail "no 40-byte Prefs in $user_data"
[ "$(files_named "$work" Prefs)" = "$user_data/Prefs" ] ||
  fail "Prefs also at: $(files_named "$work" Prefs)"
echo "package.sh: ok"
