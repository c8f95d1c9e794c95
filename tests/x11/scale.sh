#!/usr/bin/env bash
# The window on a high-density desktop of 1920 x 1200 (an X server of its own, on which the
# largest round fits twice as large): with the X resource Xft.dpi at 192 the settings screen
# is 740 x 620, each of its pixels a 2 x 2 block of the frame drawn at scale 1; a click at the
# physical centre of a preset button selects it; a drag of the title bar moves the window by
# the pointer's motion; the position stored in "Prefs" (the game's own pixels) brings the
# window back to the same place with TESSAROC_SCALE=2; TESSAROC_SCALE=1 overrides the
# resource.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied).
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
# shellcheck source=SCRIPTDIR/../../tools/lib/xvfb.sh
source "$tests_root/tools/lib/xvfb.sh"
x11_begin scale "$@"
install_program "$work"
xvfb_screen=1920x1200x24 start_private_xvfb 160 199
x11_on_exit() { kill "$xvfb_pid" 2>/dev/null || true; }
unset GDK_SCALE TESSAROC_SCALE

geometry() { # "x,y wxh" of the window
  xdotool getwindowgeometry --shell "$win" |
    awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] " " v["WIDTH"] "x" v["HEIGHT"] }'
}
# Waits up to 2 s for a screen pixel to leave the colour "r,g,b" (a busy machine may take a
# while for the next frame); false when it does not.
changes_soon() { # shot x y colour
  for _ in $(seq 20); do
    shot "$1"
    [ "$(pixel "$1" "$2" "$3")" != "$4" ] && return 0
    sleep 0.1
  done
  return 1
}
prefs_int() { od -An -t d4 -j "$1" -N 4 "$work/Prefs" | tr -d ' '; }
close_at() { # x y of the window's top-left corner on the desktop, scale
  click $(($1 + 355 * $3)) $(($2 + 15 * $3))
  expect_program_end "the close button"
}

printf 'Xft.dpi:\t192\n' | xrdb -merge

# TESSAROC_SCALE=1 overrides the resource: the frame of the game's own size, for reference.
rm -f "$work/Prefs"
TESSAROC_SCALE=1 start_program "$work"
[ "$(geometry)" = "0,0 370x310" ] || fail "TESSAROC_SCALE=1: window at $(geometry)"
shot one -crop 370x310+0+0 +repage
close_at 0 0 1

# Xft.dpi 192: twice as large, every pixel a 2 x 2 block of the reference frame.
rm -f "$work/Prefs"
start_program "$work"
[ "$(geometry)" = "0,0 740x620" ] || fail "Xft.dpi 192: window at $(geometry)"
shot two -crop 740x620+0+0 +repage
convert "$shots/one.png" -scale 200% "$shots/one-doubled.png"
differing=$(compare -metric AE "$shots/two.png" "$shots/one-doubled.png" null: 2>&1 || true)
[ "$differing" = "0" ] || fail "$differing pixels differ from the doubled scale-1 frame"

# The fourth preset (game pixels 275 to 355 by 180 to 200), clicked at its physical centre,
# fills the width bar (game pixel (200, 77) was background before).
click 630 380
changes_soon preset 400 154 "195,200,205" || fail "the click on the fourth preset missed"

# A drag of the title bar by (120, 80) desktop pixels moves the window as far.
drag_120_80 300 24
[ "$(geometry)" = "120,80 740x620" ] || fail "after the drag the window is at $(geometry)"
close_at 120 80 2
[ "$(prefs_int 32),$(prefs_int 36)" = "60,40" ] ||
  fail "Prefs holds $(prefs_int 32),$(prefs_int 36), not the game's 60,40"

# TESSAROC_SCALE=2 on a desktop without the resource: the same size, at the stored place.
xrdb -remove
TESSAROC_SCALE=2 start_program "$work"
[ "$(geometry)" = "120,80 740x620" ] || fail "TESSAROC_SCALE=2: window at $(geometry)"
close_at 120 80 2
echo "scale.sh: ok"
