#!/usr/bin/env bash
# The native desktop quorix on an Xvfb display of its own with openbox: start to window shown,
# start to the start answer, resident memory, idle CPU (beside a bare Qt window with the same
# 100 ms timer, the floor under it) and EXIT to process gone.
#
# usage: bench/desktop.sh [NATIVE_BUILD_DIR]
#   QRX_BENCH_RUNS   runs of the start and the exit (default 5)
#   QRX_BENCH_IDLE   seconds of idling for the CPU figure (default 30)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${QRX_NATIVE_BUILD_DIR:-$root/build/native}}
[ -x "$build/quorix" ] || { echo "no $build/quorix (build the native preset)" >&2; exit 1; }
# shellcheck source=../tests/e2e/own_display.sh
source "$root/tests/e2e/own_display.sh"
own_display_start 160
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime QRX_SESSION_END=off
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; kill "$own_display_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$runtime"' EXIT
sleep 0.5
python3 "$root/bench/desktop_bench.py" "$build/quorix" "${QRX_BENCH_RUNS:-5}" "${QRX_BENCH_IDLE:-30}"
