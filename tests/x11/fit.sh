#!/usr/bin/env bash
# The window on small and dense screens, each an X server of its own: on 1920 x 1080 at
# Xft.dpi 144 the window is drawn at the game's own size, since twice as large the largest
# round (40 x 25, 819 x 588) would not fit, and every cell of that round can be clicked;
# TESSAROC_SCALE=2 still doubles it. Beside a 3840 x 2160 monitor the 1920 x 1080 one still
# gets the game's own size, and a move to the large one doubles the window. On 800 x 600 a
# window stored at the edges ((794, 0), (-361, 0), (0, -26)) opens whole on the screen, and the
# largest round, wider than the screen, keeps its top-left corner on it. A screen that shrinks
# under the window brings it back; a screen whose only output is switched off is used whole.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied).
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$tests_root/tools/lib/xvfb.sh"
x11_begin fit "$@"
shots=$build/x11-fit
mkdir -p "$shots"
install_program "$work"
xvfb_pid=""
x11_on_exit() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
unset GDK_SCALE TESSAROC_SCALE

geometry() { # "x,y wxh" of the window
  xdotool getwindowgeometry --shell "$win" |
    awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] " " v["WIDTH"] "x" v["HEIGHT"] }'
}
# A screen of its own for the cases below (the display of the suite stays as it is).
own_screen() { # WxH
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_screen="$1x24" start_private_xvfb 160 199
}
# "Prefs" of the defaults with the window at (x, y).
prefs_at() { # x y
  python3 -c 'import struct, sys; x, y = int(sys.argv[1]), int(sys.argv[2])
sys.stdout.buffer.write(b"\0xst" + struct.pack("<9i", 0, 0, 0, 0, 15, 10, 12, x, y))' "$1" "$2" \
    >"$work/Prefs"
}
# Waits up to 2 s for the window to have the geometry; false when it does not get there.
geometry_becomes() { for _ in $(seq 20); do [ "$(geometry)" = "$1" ] && return; sleep 0.1; done; false; }
close_at() { # the window's corner and client width, desktop pixels: the close button
  click $(($1 + $3 - 15)) $(($2 + 15))
  expect_program_end "the close button"
}
# The fourth preset (40 x 25, 200 mines) and start, the settings window at (x, y).
largest_round() { # x y
  click $(($1 + 315)) $(($2 + 190))
  click $(($1 + 327)) $(($2 + 234)) 0.1 0.6
}

# 1920 x 1080 at 150 %: the factor that fits is 1.
own_screen 1920x1080
printf 'Xft.dpi:\t144\n' | xrdb -merge
rm -f "$work/Prefs"
start_program "$work"
[ "$(geometry)" = "0,0 370x310" ] || fail "1920 x 1080 at 144 dpi: settings window at $(geometry)"
largest_round 0 0
[ "$(geometry)" = "0,0 819x588" ] || fail "1920 x 1080 at 144 dpi: largest round at $(geometry)"
# The last cell (39, 24) opens (or ends the round on a mine): it is on the screen and reached.
shot before-last
click $((10 + 20 * 39 + 10)) $((78 + 20 * 24 + 10))
shot after-last
[ "$(cell_differs_from_tile after-last $((10 + 20 * 39)) $((78 + 20 * 24)) 1)" != "0" ] ||
  fail "the last cell of the largest round did not open"
close_at 0 0 819
# The player's choice still wins.
TESSAROC_SCALE=2 start_program "$work"
[ "$(geometry)" = "0,0 740x620" ] || fail "TESSAROC_SCALE=2: window at $(geometry)"
close_at 0 0 740

# One screen, two monitors: the small one right of the large one, both at 144 dpi.
own_screen 5760x2160
printf 'Xft.dpi:\t144\n' | xrdb -merge
xrandr --setmonitor large 3840/600x2160/340+0+0 screen >/dev/null
xrandr --setmonitor small 1920/300x1080/170+3840+0 none >/dev/null
prefs_at 3900 100
start_program "$work"
[ "$(geometry)" = "3900,100 370x310" ] || fail "on the small monitor: window at $(geometry)"
xdotool windowmove "$win" 100 100
geometry_becomes "100,100 740x620" || fail "moved to the large monitor: window at $(geometry)"
click $((100 + 355 * 2)) $((100 + 15 * 2))
expect_program_end "the close button"

# 800 x 600: stored places at the edges open whole on the screen.
own_screen 800x600
for case in "794 0 430,0" "-361 0 0,0" "0 -26 0,0" "430 290 430,290"; do
  read -r x y want <<<"$case"
  prefs_at "$x" "$y"
  start_program "$work"
  [ "$(geometry)" = "$want 370x310" ] || fail "stored ($x, $y): window at $(geometry), not $want"
  close_at "${want%,*}" "${want#*,}" 370
done
# The largest round is wider than the screen: its top-left corner stays on it, the bottom
# edge just on the screen.
prefs_at 400 250
start_program "$work"
largest_round 400 250
[ "$(geometry)" = "0,12 819x588" ] || fail "800 x 600: largest round at $(geometry)"
shot small-round
expect_pixel small-round 250 $((12 + 15)) "40,60,80" # the title bar on the screen
close_at 0 12 819

# The screen shrinks from 1280 x 1024 to 800 x 600 under the window at (900, 700).
own_screen 1280x1024
prefs_at 900 700
start_program "$work"
xrandr --newmode 800x600 40 800 840 968 1056 600 601 605 628
xrandr --addmode screen 800x600
xrandr --output screen --mode 800x600 --fb 800x600
geometry_becomes "430,290 370x310" || fail "after the screen shrank: window at $(geometry)"
close_at 430 290 370
# The only output switched off: the X screen's 1280 x 1024 hold the window stored at (1000, 800).
own_screen 1280x1024
xrandr --output screen --off --fb 1280x1024
prefs_at 1000 800
start_program "$work"
[ "$(geometry)" = "910,714 370x310" ] || fail "all outputs off: window at $(geometry)"
close_at 910 714 370
echo "fit.sh: ok"
