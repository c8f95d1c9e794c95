# Shared steps of the tests of an installed Tessaroc, sourced by tests/install/*.sh after
# tests/x11/lib/common.sh (x11_begin has set work, build and the clean-up).
# shellcheck shell=bash

# The player's home: a fresh, empty folder, with no XDG_DATA_HOME of the caller's; sets home
# and user_data, the game's per-user folder there.
fresh_home() {
  home=$work/home
  user_data=$home/.local/share/tessaroc
  rm -rf "$home"
  mkdir -p "$home"
  export HOME=$home
  unset XDG_DATA_HOME
}

# Starts <folder>/tessaroc with that folder read-only, as an installed program's folder is
# for a player. Root may write anywhere whatever the permission bits say, so for root the
# folder is bound read-only onto itself in a mount namespace of the program's own (gone
# when the program ends); for anybody else taking the write bits away is enough. Sets pid
# and win.
start_readonly_program() { # folder
  if [ "$(id -u)" -eq 0 ]; then
    unshare --mount --propagation private sh -c \
      'mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" "$1" && exec "$1/tessaroc"' \
      sh "$1" 2>>"$work/log" &
  else
    chmod a-w "$1"
    "$1/tessaroc" 2>>"$work/log" &
  fi
  pid=$!
  await_window
}

# Gives the write bits back that start_readonly_program took, so that the folder can go.
writable_again() { # folder
  [ ! -d "$1" ] || chmod u+w "$1"
}

# Little-endian int32 of a "Prefs" file at the byte offset.
prefs_int() { # file offset
  od -An -t d4 -j "$2" -N 4 "$1" | tr -d ' '
}

# The window's desktop position as "x,y".
window_position() {
  xdotool getwindowgeometry --shell "$win" | awk -F= '{ v[$1] = $2 } END { print v["X"] "," v["Y"] }'
}

# True when the screen shows the blue of the start button (its sheet was loaded) with the
# window's top-left corner at (x, y): blue well above red in the button's upper half.
start_button_drawn() { # x y
  shot start
  local rgb r b
  rgb=$(pixel start $(($1 + 327)) $(($2 + 226)))
  r=${rgb%%,*}
  b=${rgb##*,}
  [ $((b - r)) -gt 60 ]
}

# Every file of that name below the folder, one a line, sorted.
files_named() { # folder name
  find "$1" -name "$2" -print | sort
}

# Escape, held for 0.1 s with the pointer on the window's client area at (x, y) of the
# desktop, as the game reads the keyboard's state once a frame. The window is given the
# keyboard first, as a window manager would: without one the focus may still be with a window
# that is gone.
press_escape() { # x y
  point "$1" "$2"
  xdotool windowfocus --sync "$win"
  xdotool keydown Escape
  sleep 0.1
  xdotool keyup Escape
}
