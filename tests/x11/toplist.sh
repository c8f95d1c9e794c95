#!/usr/bin/env bash
# A won Leicht round through the real window under X: the top-ten screen appears, a name is
# typed with xdotool on the German key positions and then quickly, and "TopList" holds it.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
#
# The mines are read from the running program's memory (tools/lib/safe_cells.py), so the
# round is won by clicking exactly the safe cells, without a solver.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin toplist "$@"
shots=$build/x11-toplist
mkdir -p "$shots"
install_program "$work"

# Screenshots of the window's area, only to look at.
look() { shot "$1" -crop 350x360+0+0 2>/dev/null || true; }
# A quick click, for the many cells of the round.
quick_click() { click "$1" "$2" 0.06 0.05; }
# Holds a key long enough for at least one keyboard snapshot of the program to see it.
tap() { xdotool keydown "$1"; sleep 0.08; xdotool keyup "$1"; sleep 0.08; }

start_program "$work"

# The settings screen starts with 15 x 10 and 12 mines (Leicht): press start.
quick_click 327 234

# The cells that win the round, read from the running program once its mines are placed.
safe_cells() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/safe_cells.py" "$pid" "$work/tessaroc" \
    nm 15 10 12
}
cells=""
for _ in $(seq 50); do
  if cells=$(safe_cells 2>/dev/null); then break; fi
  sleep 0.1
done
[ -n "$cells" ] || fail "the board was never placed"

while read -r x y; do
  quick_click $((10 + 20 * x + 10)) $((78 + 20 * y + 10))
done <<<"$cells"
sleep 0.5
look toplist-end-screen

# The end screen's face button: a new round after the top-ten screen.
quick_click 265 50
sleep 0.25
look toplist-slide
sleep 1.2

# "Jörg": Shift with J, the key right of L (Ö on a German keyboard), r, g.
xdotool keydown Shift_L; sleep 0.05; tap j; xdotool keyup Shift_L; sleep 0.05
tap semicolon
tap r
tap g
# Then quick typing, each key held for a few milliseconds, and a bare Return: every key
# counts once, in order.
xdotool type --delay 30 abcdefghij
sleep 0.3
look toplist-entry
xdotool key Return
sleep 0.3
look toplist-after-enter

# A click ends the screen; then close the new round's window (close button at the right).
quick_click 150 200
sleep 0.5
quick_click 355 15
expect_program_end "the close button"

python3 - "$work/TopList" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
assert len(data) == 1124, f"TopList has {len(data)} bytes"
assert data[1:4] == b"xst", "marker missing"
entry = data[4:32]
assert entry[:20] == b"J\xf6rgabcdefghij" + b" " * 6, f"name field {entry[:20]!r}"
assert re.fullmatch(rb"\d+\.\d\d *", entry[20:]), f"time field {entry[20:]!r}"
default = b"-" + b" " * 19 + b"99999.99"
for i in range(1, 40):
    assert data[4 + 28 * i:32 + 28 * i] == default, f"entry {i} changed"
print("toplist.sh: TopList holds", entry.decode("latin-1").rstrip())
PY
