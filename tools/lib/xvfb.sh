# A private X server for the scripts that need a display; sourced by tools/*.sh.
# shellcheck shell=bash

# Starts Xvfb (xvfb_screen, by default 1280x1024 at 24 bits) on the first free display number
# from $1 to $2, exports DISPLAY, sets xvfb_pid and waits until the server answers. The caller
# stops it at exit.
start_private_xvfb() { # first last
  local n display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
  done
  # -noreset: the server does not reset when its last client leaves (it would drop the
  # connections of a program starting meanwhile); "resetting" as $3 keeps the default.
  local reset=-noreset
  [ "${3:-}" = "resetting" ] && reset=""
  # shellcheck disable=SC2086
  Xvfb "$display" -screen 0 "${xvfb_screen:-1280x1024x24}" -nolisten tcp $reset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
