#!/usr/bin/env bash
# CPU time while quorix waits: during "WAIT 5" and during an idle minute, for native qrxsh
# and for quorix.exe under Wine (with the prefix's wineserver beside it).
#
# usage: bench/cpu.sh [NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]]   ("-" leaves one out)
#   QRX_BENCH_WAIT   seconds of the WAIT (default 5)
#   QRX_BENCH_IDLE   seconds of idling (default 60)
set -u
# shellcheck source-path=SCRIPTDIR source=bench_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_env.sh"
python3 "$bench_root/bench/quorix_bench.py" cpu "$native_dir" "$windows_dir" \
  "${QRX_BENCH_WAIT:-5}" "${QRX_BENCH_IDLE:-60}"
