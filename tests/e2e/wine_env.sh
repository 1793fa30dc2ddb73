#!/usr/bin/env bash
# The Wine prefix and Xvfb display of one test run.
#   wine_env.sh setup    makes the prefix and starts the display
#   wine_env.sh cleanup  ends this prefix's wineserver and the display
#   source wine_env.sh   sets WINEPREFIX, DISPLAY, LANG, the build folders and `here` (this
#                        folder) for a test script; its wine_run sets up and ends the prefix
#                        and display itself when the script runs on its own
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${QRX_TEST_BUILD_DIR:=$here/../../build/asan}" "${QRX_WINDOWS_BUILD_DIR:=$here/../../build/windows}"
: "${QRX_NATIVE_BUILD_DIR:=$here/../../build/native}"
export QRX_SESSION_END=off
export WINEPREFIX="$QRX_TEST_BUILD_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
state="$QRX_TEST_BUILD_DIR/wine-run"
[ -f "$state/display" ] && export DISPLAY=":$(cat "$state/display")"

wine_setup() {
  mkdir -p "$state"
  local n=90  # the first display number nobody uses
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  echo "$n" >"$state/display"
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$state/wineboot.log" 2>&1 || { cat "$state/wineboot.log"; return 1; }
  fi
  wineserver -w
}

wine_cleanup() {
  wineserver -k 2>/dev/null || true
  [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  rm -f "$state/xvfb.pid" "$state/display"
}

# Runs a command in this run's prefix and display, setting them up first (and ending them
# after) when the caller has not; returns the command's exit code.
wine_run() {
  local own_setup=0 rc
  if [ -z "${DISPLAY:-}" ] || [ ! -f "$state/display" ]; then
    wine_setup || { echo "FAIL: Wine prefix setup"; return 1; }
    own_setup=1
  fi
  "$@"
  rc=$?
  [ "$own_setup" -eq 1 ] && wine_cleanup
  return $rc
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}" in
    setup) wine_setup ;;
    cleanup) wine_cleanup ;;
    *) echo "usage: wine_env.sh setup|cleanup" >&2; exit 2 ;;
  esac
fi
