#!/usr/bin/env bash
# CPU cost of the clipboard watch on X11: native qrxsh idle with the watch off, then with
# "SET CLIPFLG ON", on an Xvfb display of its own; then how soon commands put on the
# clipboard run.
# Needs Xvfb and xclip (or xsel).
#
# usage: bench/clipboard_watch.sh [NATIVE_BUILD_DIR]
#   QRX_BENCH_IDLE      seconds of each idle stretch (default 60)
#   QRX_BENCH_COMMANDS  commands put on the clipboard afterwards (default 20)
set -u
export QRX_SESSION_END=off
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native_dir=${1:-${QRX_NATIVE_BUILD_DIR:-$root/build/native}}
[ -x "$native_dir/qrxsh" ] || { echo "no $native_dir/qrxsh: build the native preset" >&2; exit 1; }
native_dir=$(cd "$native_dir" && pwd)
command -v Xvfb >/dev/null || { echo "Xvfb is needed" >&2; exit 1; }
command -v xclip >/dev/null || command -v xsel >/dev/null ||
  { echo "xclip or xsel is needed" >&2; exit 1; }

# shellcheck source=../tests/e2e/own_display.sh
source "$root/tests/e2e/own_display.sh"
own_display_start 150
unset WAYLAND_DISPLAY
python3 "$root/bench/clipboard_watch.py" "$native_dir/qrxsh" "$own_display_pid" \
  "${QRX_BENCH_IDLE:-60}" "${QRX_BENCH_COMMANDS:-20}"
