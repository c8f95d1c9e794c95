# Shared set-up of the shell tests through the real window, sourced by tests/x11/*.sh.
# shellcheck shell=bash
#
# A test calls `x11_begin <name> "$@"` with its own two arguments ($1 the tessaroc
# executable, $2 the build folder). That sets exe, build, work (a fresh temporary folder,
# removed at exit together with the program if it still runs), pid (the running program,
# "" when none) and win (its window). A test may define x11_on_exit for more clean-up.

# Messages of fail() start with this; a test may change it (drag.sh adds its mode).
fail_prefix=""

x11_begin() { # name exe build
  fail_prefix="$1.sh"
  exe=$2
  build=$3
  work=$(mktemp -d "/tmp/tessaroc-x11-$1-XXXXXX")
  shots=$work
  pid=""
  win=""
  trap x11_cleanup EXIT
}

x11_cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid" 2>/dev/null || true; fi
  if declare -F x11_on_exit >/dev/null; then x11_on_exit; fi
  rm -rf "$work"
}

# Ends the test with a message, and what the program wrote to its error output.
fail() {
  echo "$fail_prefix: $*" >&2
  if [ -s "$work/log" ]; then sed "s/^/$fail_prefix: program said: /" "$work/log" >&2; fi
  exit 1
}

# A program folder: the executable and a copy of the built GFX folder (nothing else).
install_program() { # folder
  mkdir -p "$1"
  rm -rf "$1/GFX"
  cp "$exe" "$1/tessaroc"
  cp -r "$build/GFX" "$1/GFX"
}

# Starts the program of the folder (from another current folder), waits for its window and
# gives it time to present its first frames; sets pid and win.
start_program() { # folder
  "$1/tessaroc" 2>>"$work/log" &
  pid=$!
  await_window
}

# Waits for the window of the program started as $pid (up to tries tenths of a second; a
# program under Wine starts slower) and gives it time to present its first frames; sets win.
await_window() { # [tries]
  win=""
  for _ in $(seq "${1:-200}"); do
    win=$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no window"
  sleep 0.5
}

# Waits (up to tries tenths of a second) for the program started as $pid to show the message
# box with the title, failing if the program ends first; sets box.
await_message_box() { # title tries
  box=""
  for _ in $(seq "$2"); do
    box=$(xwininfo -root -tree | awk -v title="\"$1\"" 'index($0, title) && !found { print $1; found = 1 }')
    [ -n "$box" ] && break
    kill -0 "$pid" 2>/dev/null || fail "ended before showing the box"
    sleep 0.1
  done
  [ -n "$box" ] || fail "no message box on $DISPLAY"
}

# The player presses Return on the box (held as a hand holds a key); the program must then
# end with the code.
close_box_and_expect_end() { # code
  local code=0
  xdotool windowfocus "$box" 2>/dev/null || true
  sleep 0.2
  xdotool keydown Return
  sleep 0.1
  xdotool keyup Return
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end once the box was closed"
  wait "$pid" || code=$?
  pid=""
  [ "$code" = "$1" ] || fail "exit code $code, expected $1"
}

# Waits up to 5 s for the program to end and expects exit code 0.
expect_program_end() { # what ended it
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then fail "$1 did not end the program"; fi
  wait "$pid" || fail "$1: exit code $?"
  pid=""
}

# The pointer to (x, y), with a small motion so that the window sees it arrive there.
point() {
  xdotool mousemove "$1" "$2"
  xdotool mousemove_relative 1 0
  xdotool mousemove_relative -- -1 0
  sleep 0.05
}

# A left click at (x, y): held for `hold` seconds, then `after` seconds for the program.
click() { # x y [hold 0.1] [after 0.3]
  point "$1" "$2"
  xdotool mousedown 1
  sleep "${3:-0.1}"
  xdotool mouseup 1
  sleep "${4:-0.3}"
}

# A press at (x, y) (on the title bar), dragged by (120, 80) desktop pixels in ten steps as a
# hand would, then released; returns after the program has had time to follow.
drag_120_80() { # x y
  point "$1" "$2"
  xdotool mousedown 1
  sleep 0.1
  for _ in $(seq 10); do xdotool mousemove_relative 12 8; sleep 0.03; done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
}

# A screenshot of the whole screen as $shots/<name>.png (more import options may follow).
shot() { # name [import options]
  local name=$1
  shift
  import -window root "$@" "$shots/$name.png"
}

# Colour of a screenshot's pixel as "r,g,b".
pixel() { # name x y
  convert "$shots/$1.png" -format \
    "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}

# One client of the test's own stays connected until let_server_go: an X server whose last
# client leaves starts afresh, forgetting its resources, and a program that connects
# meanwhile can end up with no window to be seen. Returns once a root property set by another
# client stays put, that is, once the keeper is connected. Sets keeper.
keep_server() {
  xprop -root -spy >/dev/null 2>&1 &
  keeper=$!
  for _ in $(seq 50); do
    xprop -root -f TESSAROC_TEST_KEEPER 8s -set TESSAROC_TEST_KEEPER 1
    xprop -root TESSAROC_TEST_KEEPER | grep -q '"1"' && return
    sleep 0.1
  done
  fail "cannot keep the X server from starting afresh"
}
let_server_go() {
  xprop -root -remove TESSAROC_TEST_KEEPER 2>/dev/null || true
  kill "$keeper" 2>/dev/null || true
  wait "$keeper" 2>/dev/null || true
}

# ---------------------------------------------------------------- steps of a round, shared with
# tests/wine

# The repository, for tools/lib.
tests_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)

# Fails unless the screenshot's pixel has the colour "r,g,b".
expect_pixel() { # shot x y "r,g,b"
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$1: pixel ($2, $3) is $got, expected $4"
}

# Number of pixels in which a 20 x 20 board cell of a screenshot differs from TileSet cell n.
cell_differs_from_tile() { # shot x y n
  convert "$shots/$1.png" -crop "20x20+$2+$3" +repage "$work/cell.png"
  convert "$build/GFX/TileSet.bmp" -crop "20x20+$((($4 - 1) * 20))+0" +repage "$work/tile.png"
  compare -metric AE "$work/cell.png" "$work/tile.png" null: 2>&1 || true
}

# The window's size, "<width>x<height>".
window_size() { xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }

# A quick left click at (x, y) in one xdotool call, for the many cells of a round.
quick_click() { # x y
  xdotool mousemove "$1" "$2" mousemove_relative 1 0 mousemove_relative -- -1 0 sleep 0.03 \
    mousedown 1 sleep 0.06 mouseup 1 sleep 0.05
}

# A key held long enough for at least one keyboard snapshot of the program to see it. Keys
# are given by name under Wine too (Wine turns the X keycode into the set-1 scan code;
# xdotool takes "9" for the digit's key, not for keycode 9).
# One xdotool call, so that a slow start of the next one cannot hold the key long enough
# for the name entry's key repeat (350 ms).
tap() { # X key name
  xdotool keydown "$1" sleep 0.1 keyup "$1" sleep 0.08
}

# "Jörg" typed as on a German keyboard: Shift with J, the key right of L (Ö), r, g.
type_joerg() {
  xdotool keydown Shift_L
  sleep 0.05
  tap j
  xdotool keyup Shift_L
  sleep 0.05
  tap semicolon
  tap r
  tap g
}

# Wins the round that the program $pid is playing on the 15 x 10 board with 12 mines by
# clicking exactly its safe cells, which tools/lib/safe_cells.py reads from the program's
# memory (the mines are placed a moment after the round starts), and returns once they are
# all open. A program that fell behind drops clicks of the backlog (a player's burst of
# clicks it could not follow): the safe cells still covered once it has caught up are
# clicked again.
win_easy_round() { # executable of $pid, nm listing its symbols
  local cells="" x y
  for _ in $(seq 50); do
    cells=$(python3 "$tests_root/tools/lib/safe_cells.py" "$pid" "$1" "$2" 15 10 12 2>/dev/null) &&
      break
    sleep 0.1
  done
  [ -n "$cells" ] || fail "the round's mines were never placed"
  for _ in 1 2 3; do
    while read -r x y; do quick_click $((20 + 20 * x)) $((88 + 20 * y)); done <<<"$cells"
    for _ in $(seq 50); do
      cells=$(python3 "$tests_root/tools/lib/safe_cells.py" "$pid" "$1" "$2" 15 10 12) ||
        fail "the round can no longer be read from the program"
      [ -n "$cells" ] || return 0
      sleep 0.1
    done
  done
  fail "safe cells still covered after three rounds of clicks: ${cells//$'\n'/, }"
}

# Waits, up to 10 s, until the top-ten screen reads the name typed on it: from its first
# frame it shows its hint (client (40, 315), window at the desktop's corner) in orange.
await_name_entry() {
  local lit
  for _ in $(seq 100); do
    shot name-hint -crop 300x14+40+310
    lit=$(convert "$shots/name-hint.png" -fill black +opaque "rgb(255,190,100)" \
      -format "%[fx:maxima.r > 0]" info:)
    [ "$lit" = 1 ] && return
    sleep 0.1
  done
  fail "the top-ten screen never asked for the name"
}

# Fails unless the best-time file holds the name (Windows-1252 bytes written with Python's
# escapes, "J\xf6rg" for Jörg) with a time in the first Leicht place and every other place of
# every list is still the default entry.
expect_first_leicht_name() { # TopList file, name
  python3 - "$1" "$2" <<'PY' || fail "TopList does not hold $2 alone"
import re, sys
data = open(sys.argv[1], "rb").read()
name = sys.argv[2].encode("ascii").decode("unicode_escape").encode("latin-1")
assert len(data) == 1124, f"TopList has {len(data)} bytes"
assert data[1:4] == b"xst", "marker missing"
entry = data[4:32]
assert entry[:20] == name.ljust(20), f"name field {entry[:20]!r}"
assert re.fullmatch(rb"\d+\.\d\d *", entry[20:]), f"time field {entry[20:]!r}"
default = b"-" + b" " * 19 + b"99999.99"
for i in range(1, 40):
    assert data[4 + 28 * i:32 + 28 * i] == default, f"entry {i} changed"
print("TopList holds", entry.decode("latin-1").rstrip())
PY
}

# The first steps through a program started with the defaults, window at the desktop's
# corner: the settings screen's layout, the fourth preset (fills the width bar), the first
# preset and start: a 15 x 10 round with every cell covered; a click on cell (0, 0) opens it
# (or ends the round on a mine); the face button gives a new round, every cell covered again.
play_first_round() {
  shot settings
  [ "$(window_size)" = "370x310" ] || fail "settings window is $(window_size)"
  expect_pixel settings 200 170 "195,200,205" # client background
  expect_pixel settings 250 15 "40,60,80"     # plain title bar
  expect_pixel settings 71 77 "250,250,250"   # width bar: first column of the fill
  expect_pixel settings 121 150 "255,255,0"   # the 50 % mark
  expect_pixel settings 200 77 "195,200,205"  # width 15: the bar ends at column 146

  click 315 190
  shot preset
  [ "$(pixel preset 200 77)" != "195,200,205" ] || fail "the fourth preset did not fill the width bar"
  click 60 190
  click 327 234
  shot round
  [ "$(window_size)" = "370x288" ] || fail "game window is $(window_size)"
  expect_pixel round 10 33 "195,200,205" # top panel
  [ "$(cell_differs_from_tile round 10 78 1)" = "0" ] || fail "cell (0, 0) is not covered"
  [ "$(cell_differs_from_tile round 290 258 1)" = "0" ] || fail "cell (14, 9) is not covered"

  click 15 83
  shot opened
  [ "$(cell_differs_from_tile opened 10 78 1)" != "0" ] || fail "cell (0, 0) did not open"

  click 265 50
  sleep 0.3
  shot newround
  [ "$(cell_differs_from_tile newround 10 78 1)" = "0" ] || fail "the face button gave no new round"
}

# From a round with the window at the desktop's corner: the back button leads to the settings
# screen (370 x 310), and a drag of its title bar by (100, 50) moves the window along; the
# release at the end clicks nothing.
back_and_drag_title_bar() {
  click 320 50
  shot back
  [ "$(window_size)" = "370x310" ] || fail "after back the window is $(window_size)"
  expect_pixel back 200 170 "195,200,205"

  point 150 12
  xdotool mousedown 1
  sleep 0.1
  for step in 1 2 3 4 5; do
    xdotool mousemove $((150 + 20 * step)) $((12 + 10 * step))
    sleep 0.05
  done
  sleep 0.1
  xdotool mouseup 1
  sleep 0.5
  shot dragged
  expect_pixel dragged 300 220 "195,200,205" # client background, now at (100, 50) + (200, 170)
  expect_pixel dragged 350 65 "40,60,80"     # title bar moved along
  expect_pixel dragged 50 30 "0,0,0"         # the desktop where the window was
  expect_pixel dragged 300 127 "195,200,205" # width bar still ends at 146
}
