#!/usr/bin/env bash
# The player's data through the real window under X:
# - a portable folder whose "Prefs" and "TopList" can be read but not written: the stored
#   options and best times are read, the top ten is shown after a won Leicht round, and both
#   files are saved, with every list, in the per-user folder; the read-only files keep their
#   bytes;
# - a "TopList" with one changed byte in its marker: a won round keeps the old content in
#   "TopList.damaged" before the file starts anew;
# - the window destroyed by another program (xdotool windowclose): "Prefs" is saved, one line
#   on stderr, exit code 1;
# - nowhere to save: a won round shows the top ten, and a box says the time is not kept.
# $1: the tessaroc executable, $2: the build folder (its GFX folder is copied). DISPLAY is set.
set -euo pipefail
# shellcheck source=SCRIPTDIR/lib/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
x11_begin data "$@"
x11_on_exit() { chmod -R u+w "$work" 2>/dev/null || true; }
export XDG_DATA_HOME=$work/xdg
user_data=$XDG_DATA_HOME/tessaroc

# A "Prefs" record: options, board, position.
prefs_record() { # star empty animation gradient width height mines x y
  python3 -c "import struct,sys; sys.stdout.buffer.write(b'\0xst'+struct.pack('<9i',*map(int,sys.argv[1:])))" "$@"
}

# A "TopList" whose Leicht list holds "Ann" in 0.00 s (no win is faster: ida, quick as the
# test clicks, always comes second), whose Schwer list holds "Bo" in 80.00 s, every other place
# the default; the marker's last byte as given.
toplist_image() { # marker byte
  python3 - "$1" <<'PY'
import sys
entry = lambda name, time: name.ljust(20).encode() + time.ljust(8).encode()
blocks = [[entry("-", "99999.99")] * 10 for _ in range(4)]
blocks[0][0] = entry("Ann", "0.00")
blocks[2][0] = entry("Bo", "80.00")
sys.stdout.buffer.write(b"\0xs" + sys.argv[1].encode() + b"".join(b"".join(b) for b in blocks))
PY
}

# Starts the program of the folder with the named files in it read-only. Root may write any
# file whatever its permission bits say, so for root each file is bound read-only onto
# itself in a mount namespace of the program's own; for anybody else the bits are enough.
start_with_readonly_files() { # folder files...
  local folder=$1
  shift
  if [ "$(id -u)" -eq 0 ]; then
    unshare --mount --propagation private sh -c '
      folder=$1; shift
      for f in "$@"; do
        mount --bind "$folder/$f" "$folder/$f" && mount -o remount,ro,bind "$folder/$f" "$folder/$f" || exit 1
      done
      exec "$folder/tessaroc"' sh "$folder" "$@" 2>>"$work/log" &
  else
    for f in "$@"; do chmod a-w "$folder/$f"; done
    "$folder/tessaroc" 2>>"$work/log" &
  fi
  pid=$!
  await_window
}

# Wins the Leicht round started from the settings screen and types "ida" into the top ten,
# which appears after the end screen's face button; the click after Return ends that screen.
win_and_enter_name() { # folder
  quick_click 327 234
  win_easy_round "$1/tessaroc" nm
  sleep 0.5
  quick_click 265 50
  sleep 2 # the new time slides into the list before the name can be typed
  tap i
  tap d
  tap a
  xdotool key Return
  sleep 0.3
  quick_click 150 200
  sleep 0.5
}

# Fails unless the best-time file's Leicht list starts with Ann and then ida (with a time),
# its Schwer list still starts with Bo, and the marker is whole.
expect_ann_ida_bo() { # file
  python3 - "$1" <<'PY' || fail "$1 does not hold Ann, ida and Bo"
import re, sys
data = open(sys.argv[1], "rb").read()
assert len(data) == 1124 and data[1:4] == b"xst", "not a whole list file"
assert data[4:32] == b"Ann".ljust(20) + b"0.00".ljust(8), data[4:32]
assert data[32:52] == b"ida".ljust(20) and re.fullmatch(rb"\d+\.\d\d *", data[52:60]), data[32:60]
assert data[564:592] == b"Bo".ljust(20) + b"80.00".ljust(8), data[564:592]
PY
}

# ---------------------------------------------------------------- read-only Prefs and TopList

folder=$work/readonly
install_program "$folder"
prefs_record 0 0 0 1 15 10 12 0 0 >"$folder/Prefs" # the title bar's gradient on
toplist_image t >"$folder/TopList"
cp "$folder/Prefs" "$work/prefs.before"
cp "$folder/TopList" "$work/toplist.before"
start_with_readonly_files "$folder" Prefs TopList
win_and_enter_name "$folder"
quick_click 355 15
expect_program_end "the close button"

cmp -s "$folder/Prefs" "$work/prefs.before" || fail "the read-only Prefs changed"
cmp -s "$folder/TopList" "$work/toplist.before" || fail "the read-only TopList changed"
[ -f "$user_data/TopList" ] || fail "no TopList saved per user (was the top ten shown?)"
expect_ann_ida_bo "$user_data/TopList"
[ "$(od -An -t d4 -j 16 -N 4 "$user_data/Prefs" | tr -d ' ')" = 1 ] ||
  fail "the per-user Prefs lacks the gradient option read from the read-only one"
grep -q "Prefs is read-only: saved as $user_data/Prefs" "$work/log" || fail "the move of Prefs was not said"

# ---------------------------------------------------------------- damaged marker, window destroyed

folder=$work/damaged
install_program "$folder"
toplist_image T >"$folder/TopList" # "xsT": one changed byte
cp "$folder/TopList" "$work/damaged.before"
start_program "$folder"
win_and_enter_name "$folder"
cmp -s "$folder/TopList.damaged" "$work/damaged.before" || fail "the damaged TopList was not kept"
grep -q "TopList lacks its marker and starts anew: its old content is kept in $folder/TopList.damaged" \
  "$work/log" || fail "the copy of the damaged TopList was not said"

# The first preset (15 x 10) was in use; the fourth (40 x 25) now, then the window goes.
quick_click 320 50 # back to the settings screen
click 315 190
said=$(wc -l <"$work/log")
xdotool windowclose "$win"
code=0
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" || code=$?
pid=""
[ "$code" = 1 ] || fail "window destroyed: exit code $code"
tail -n +$((said + 1)) "$work/log" >"$work/destroyed"
grep -q "^tessaroc: the window was destroyed by another program" "$work/destroyed" ||
  fail "window destroyed: no message"
[ "$(grep -c . "$work/destroyed")" = 1 ] || fail "window destroyed: more than one line on stderr"
[ "$(od -An -t d4 -j 20 -N 4 "$folder/Prefs" | tr -d ' ')" = 40 ] ||
  fail "window destroyed: Prefs does not hold the width 40"

# ---------------------------------------------------------------- nowhere to save

# An installed program without HOME or XDG_DATA_HOME: a won round takes the name all the same.
folder=$work/installed
mkdir -p "$folder/bin" "$folder/share/tessaroc"
cp "$exe" "$folder/bin/tessaroc"
cp -r "$build/GFX" "$folder/share/tessaroc/GFX"
env -u HOME -u XDG_DATA_HOME "$folder/bin/tessaroc" 2>>"$work/log" &
pid=$!
await_window
win_and_enter_name "$folder/bin"
await_message_box "Tessaroc: Bestzeit nicht gespeichert" 100
xdotool windowfocus "$box" sleep 0.2 key Return sleep 0.5
kill -TERM "$pid"
expect_program_end "SIGTERM after the box"
echo "data.sh: ok"
