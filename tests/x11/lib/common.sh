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

# Waits for the window of the program started as $pid and gives it time to present its first
# frames; sets win.
await_window() {
  win=""
  for _ in $(seq 200); do
    win=$(xdotool search --name "Tessaroc by Varnholt" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "no window"
  sleep 0.5
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
