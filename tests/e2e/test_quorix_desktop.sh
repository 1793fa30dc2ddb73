#!/usr/bin/env bash
# The native quorix window on an Xvfb display of its own, with openbox as window manager and
# trayer as tray host, driven with xdotool (desktop_check.py has the scenarios). The
# screenshots go to $QRX_TEST_BUILD_DIR/desktop-shots.
set -u
for tool in Xvfb openbox trayer xdotool xclip import dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (scripts/setup.sh)"; exit 1; }
done
here=$(dirname "$0")
# shellcheck source=own_display.sh
source "$here/own_display.sh"
own_display_start 140
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
openbox >/dev/null 2>&1 &
wm=$!
sleep 0.5
trayer --edge top --align right >/dev/null 2>&1 &
tray=$!
trap 'kill $tray $wm "$own_display_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$XDG_RUNTIME_DIR"' EXIT
python3 "$here/desktop_check.py" "$QRX_NATIVE_BUILD_DIR" "${QRX_TEST_BUILD_DIR:-/tmp}/desktop-shots"
