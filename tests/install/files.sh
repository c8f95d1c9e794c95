#!/usr/bin/env bash
# The installed tree without running it: "cmake --install" into a fresh prefix lays out the
# program, sheets, launcher, metainfo, man page and icons; the launcher and metainfo pass
# their validators and name each other and the icon; the man page formats without warnings;
# each icon is a PNG of its folder's size; no installed file holds the prefix (the tree can
# be moved); the metainfo's newest release, the man page's heading and the changelog's newest
# entry are the package's version; the man page lists the options; the metainfo names the
# licence of LICENSE.
# $1: the tessaroc executable (unused), $2: the build folder.
set -euo pipefail
build=$2
tests_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d /tmp/tessaroc-install-files-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "files.sh: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
id=io.github.tessaroc.Tessaroc
desktop=$share/applications/$id.desktop
metainfo=$share/metainfo/$id.metainfo.xml
man=$share/man/man6/tessaroc.6.gz
doc=$share/doc/tessaroc

[ -x "$prefix/bin/tessaroc" ] || fail "no bin/tessaroc"
for sheet in Quibbuttons TileSet Buttons1 Buttons2 PointTable1 Points Smileys Buttons3 Buttons4 \
  Buttons5; do
  cmp -s "$build/GFX/$sheet.bmp" "$share/tessaroc/GFX/$sheet.bmp" || fail "GFX/$sheet.bmp not installed"
done
for file in "$desktop" "$metainfo" "$man" "$doc/copyright" "$doc/changelog.gz"; do [ -f "$file" ] || fail "no ${file#"$prefix"/}"; done

# The validators: any warning or error fails.
desktop-file-validate "$desktop" >"$work/out" 2>&1 || { cat "$work/out"; fail "desktop-file-validate"; }
[ ! -s "$work/out" ] || { cat "$work/out"; fail "desktop-file-validate warns"; }
appstreamcli validate --no-net "$metainfo" >"$work/out" 2>&1 || { cat "$work/out"; fail "appstreamcli"; }
if grep -Eq '^[EW]: ' "$work/out"; then cat "$work/out"; fail "appstreamcli warns"; fi
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man" >/dev/null 2>"$work/out" ||
  fail "man cannot format the page"
[ ! -s "$work/out" ] || { cat "$work/out"; fail "the man page has warnings"; }

# The launcher starts the installed program's name and shows the installed icon; the
# metainfo launches that launcher.
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = "tessaroc" ] || fail "Exec=$(entry Exec)"
[ "$(entry Icon)" = "$id" ] || fail "Icon=$(entry Icon)"
[[ "$(entry Categories)" == *"Game;LogicGame;"* ]] || fail "Categories=$(entry Categories)"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
for tag in '<description>' '<content_rating type="oars-1.1"' '<release version='; do
  grep -qF "$tag" "$metainfo" || fail "the metainfo lacks $tag"
done

# PNG width and height are the big-endian words at bytes 16 and 20.
png_size() { # file
  local w h
  w=$(od -An -t x1 -j 16 -N 4 "$1" | tr -d ' \n')
  h=$(od -An -t x1 -j 20 -N 4 "$1" | tr -d ' \n')
  echo "$((16#$w))x$((16#$h))"
}
for size in 16 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x$size/apps/$id.png
  [ -f "$icon" ] || fail "no ${size}x$size icon"
  [ "$(head -c 8 "$icon" | od -An -t x1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
    fail "the ${size}x$size icon is no PNG"
  [ "$(png_size "$icon")" = "${size}x$size" ] || fail "the ${size}x$size icon is $(png_size "$icon")"
done
if grep -rlF "$prefix" "$prefix" >"$work/out"; then fail "files hold the prefix: $(cat "$work/out")"; fi

package_version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$release" = "$package_version" ] ||
  fail "the metainfo's newest release $release is not the package's version $package_version"
heading=$(zcat "$man" | grep '^\.TH ')
[[ "$heading" == *"\"Tessaroc $package_version\""* ]] ||
  fail "the man page's heading $heading is not of version $package_version"
[ "$(zcat "$doc/changelog.gz" | head -1 | cut -d' ' -f2)" = "($package_version)" ] ||
  fail "the changelog's newest entry is not $package_version"
# The options as the formatted page shows them.
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man" 2>/dev/null | col -b >"$work/page"
for option in "-h, --help" "--version" "TESSAROC_SCALE" "XDG_DATA_HOME"; do
  grep -qF -- "$option" "$work/page" || fail "the man page does not list $option"
done
grep -qF "<project_license>MIT</project_license>" "$metainfo" || fail "the metainfo names no MIT licence"
head -1 "$tests_root/LICENSE" | grep -qx "MIT License" || fail "LICENSE is not the MIT licence"
echo "files.sh: ok"
