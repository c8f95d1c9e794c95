#!/usr/bin/env bash
# The Debian package: "cpack -G DEB" in the build folder makes a .deb whose dependencies
# name the shared libraries of the program and the fonts, holding the installed tree under
# /usr with the program in /usr/games, and the papers Debian asks for: the copyright in the
# machine-readable format with the licence's whole text, naming the font packages the game
# uses at run time, and the changelog, compressed, its newest entry the package's version.
# lintian finds no error and no warning. Unpacked with "dpkg -x" into a fresh root, its
# program answers --version with the package's version, runs with its folder read-only and
# an empty home, shows its sheets, and after Escape "Prefs" is in ~/.local/share/tessaroc
# and nowhere else.
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
  writable_again "$root/usr/games"
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
for path in usr/games/tessaroc usr/share/tessaroc/GFX/TileSet.bmp \
  usr/share/tessaroc/GFX/Quibbuttons.bmp usr/share/applications/io.github.tessaroc.Tessaroc.desktop \
  usr/share/metainfo/io.github.tessaroc.Tessaroc.metainfo.xml usr/share/man/man6/tessaroc.6.gz \
  usr/share/doc/tessaroc/copyright usr/share/doc/tessaroc/changelog.gz \
  usr/share/icons/hicolor/16x16/apps/io.github.tessaroc.Tessaroc.png \
  usr/share/icons/hicolor/256x256/apps/io.github.tessaroc.Tessaroc.png; do
  grep -qx "./$path" <<<"$contents" || fail "the package lacks /$path"
done
if grep -v '^\./usr/' <<<"$contents" | grep -qv '^\./$'; then
  fail "the package installs outside /usr: $(grep -v '^\./usr/' <<<"$contents" | head -3)"
fi

lintian --fail-on error,warning --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 ||
  { grep -v '^N: ' "$work/lintian.log" >&2; fail "lintian reports errors or warnings"; }

dpkg -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
doc=$root/usr/share/doc/tessaroc
copyright_field() { sed -n "s/^$1: //p" "$doc/copyright" | head -1; }
[ "$(copyright_field Format)" = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
  fail "the copyright is not in the machine-readable format: $(head -1 "$doc/copyright")"
[ "$(copyright_field Copyright)" = "2026 The Tessaroc authors" ] ||
  fail "the copyright names $(copyright_field Copyright)"
[ "$(grep -c '^License: Expat$' "$doc/copyright")" = "2" ] || fail "the copyright lacks its Expat licence"
# The last paragraph's licence is LICENSE's text from the permission on, word for word.
tac "$doc/copyright" | sed '/^License: Expat$/q' | tac | tail -n +2 | sed 's/^ //; s/^\.$//' \
  >"$work/licence"
sed -n '/^Permission/,$p' "$tests_root/LICENSE" | cmp -s - "$work/licence" ||
  fail "the copyright's licence is not LICENSE's text"
for font in fonts-liberation fonts-dejavu-core; do
  grep -q "$font" "$doc/copyright" || fail "the copyright does not name $font"
  [[ ", $depends," == *", $font,"* ]] || fail "Depends lacks $font: $depends"
done
gzip -t "$doc/changelog.gz" || fail "changelog.gz is no gzip file"
[ "$(zcat "$doc/changelog.gz" | head -1 | cut -d' ' -f2)" = "($version)" ] ||
  fail "the changelog's newest entry is $(zcat "$doc/changelog.gz" | head -1), not $version"
[ "$("$root/usr/games/tessaroc" --version)" = "Tessaroc $version" ] ||
  fail "the packaged program answers --version with $("$root/usr/games/tessaroc" --version)"

fresh_home
start_readonly_program "$root/usr/games"
start_button_drawn 0 0 || fail "the start button's sheet was not drawn"
press_escape 200 280
expect_program_end "Escape"
[ "$(stat -c %s "$user_data/Prefs" 2>/dev/null)" = "40" ] || fail "no 40-byte Prefs in $user_data"
[ "$(files_named "$work" Prefs)" = "$user_data/Prefs" ] ||
  fail "Prefs also at: $(files_named "$work" Prefs)"
echo "package.sh: ok"
