#!/usr/bin/env bash
# The archive a Windows player unpacks: tools/make-windows-zip.sh packs the built program into
# one folder "Tessaroc" holding tessaroc.exe, the sprite sheets and LICENSE.txt (the licence
# with Windows line ends), nothing else. The unpacked program, stripped, answers --version
# with the package's version and 0 at once; started, its window's icons, as the X window
# manager reads them (_NET_WM_ICON: the taskbar's and Alt+Tab's), are the game's icon pixel
# for pixel at 16 and 32 pixels; Escape ends it.
# $1: tessaroc.exe, $2: the build folder. DISPLAY is set; Wine uses WINEPREFIX when set, else
# a private prefix made here and removed at the end.
set -euo pipefail
# shellcheck source=SCRIPTDIR/../x11/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/../x11/lib/common.sh"
x11_begin wine-archive "$@"
# shellcheck source=SCRIPTDIR/../../tools/lib/wine.sh
source "$tests_root/tools/lib/wine.sh"
begin_wine_test
x11_on_exit() { stop_own_wine_prefix; }

# The packing reads a build folder and writes the archive there: a copy of what it reads, so
# that the build's own archive stays as it is.
mkdir -p "$work/build"
cp "$exe" "$work/build/tessaroc.exe"
cp -r "$build/GFX" "$work/build/GFX"
bash "$tests_root/tools/make-windows-zip.sh" "$work/build" >/dev/null
unzip -q "$work/build/tessaroc-windows-x86_64.zip" -d "$work/unpacked"
[ "$(ls -A "$work/unpacked")" = "Tessaroc" ] || fail "the archive holds $(ls -A "$work/unpacked")"
folder=$work/unpacked/Tessaroc
expected=$( (echo LICENSE.txt tessaroc.exe; cd "$build" && ls GFX/*.bmp) | tr ' ' '\n' | sort)
got=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
[ "$got" = "$expected" ] || fail "the archive's folder holds: $got"
sed 's/$/\r/' "$tests_root/LICENSE" | cmp -s - "$folder/LICENSE.txt" ||
  fail "LICENSE.txt is not the licence with Windows line ends"

# --version ends at once with 0 (the game itself ends with 0 only when the player ends it;
# the display stays, as a Wine started without one leaves the prefix's desktop without one).
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
code=0
answer=$(timeout 60 wine "$folder/tessaroc.exe" --version 2>>"$work/log") || code=$?
[ "$code,$(tr -d '\r' <<<"$answer")" = "0,Tessaroc $version" ] ||
  fail "--version: code $code, '$answer'"
[ -z "$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null)" ] || fail "--version left a window"

(cd "$work" && exec wine "$folder/tessaroc.exe" 2>>"$work/log") &
pid=$!
for _ in $(seq 300); do
  win=$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no window"
xdotool windowfocus "$win"
sleep 1

# _NET_WM_ICON: per icon its width, height and then its pixels as 0xAARRGGBB, row by row;
# compared with the desktop icons of the same size (the same drawing).
xprop -id "$win" -notype -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON >"$work/icons"
for size in 16 32; do
  png=$build/icons/${size}x$size/apps/io.github.tessaroc.Tessaroc.png
  convert "$png" -depth 8 rgb:"$work/icon$size.rgb"
  python3 - "$work/icons" "$work/icon$size.rgb" "$size" <<'PY' || fail "no ${size}x$size window icon of the game's pixels"
import sys
text = open(sys.argv[1]).read()
values = [int(v) for v in text.split("=", 1)[1].replace(",", " ").split()] if "=" in text else []
rgb = open(sys.argv[2], "rb").read()
size = int(sys.argv[3])
expected = [0xFF000000 | rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2] for i in range(0, len(rgb), 3)]
at = 0
while at + 2 <= len(values):
    w, h = values[at], values[at + 1]
    if (w, h) == (size, size) and values[at + 2:at + 2 + w * h] == expected:
        sys.exit(0)
    at += 2 + w * h
print("window icons:", [(values[i], values[i + 1]) for i in [0]] if values else "none", file=sys.stderr)
sys.exit(1)
PY
done

point 300 220
tap Escape
expect_program_end "Escape"
echo "archive.sh: ok"
