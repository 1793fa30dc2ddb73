#!/usr/bin/env bash
# An Xvfb display of one's own (sourced): `own_display_start N` starts the server on the
# first free display number from N on, exports DISPLAY, keeps the server's pid in
# own_display_pid and ends the server when the sourcing script exits.
own_display_start() {
  local n=$1
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
  own_display_pid=$!
  trap 'kill "$own_display_pid" 2>/dev/null; wait "$own_display_pid" 2>/dev/null' EXIT
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
}
