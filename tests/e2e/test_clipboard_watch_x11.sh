#!/usr/bin/env bash
# The clipboard watch of native qrxsh on an Xvfb display of its own, with the real xclip.
set -u
command -v Xvfb >/dev/null || { echo "FAIL: Xvfb is needed"; exit 1; }
# shellcheck source=own_display.sh
source "$(dirname "$0")/own_display.sh"
own_display_start 120
python3 "$(dirname "$0")/clipboard_watch_check.py" "$QRX_NATIVE_BUILD_DIR/qrxsh" "$own_display_pid"
