#!/usr/bin/env bash
# Start-up time and working set: native qrxsh (process start to its first ANSWER line, with
# no input) and quorix.exe under Wine (process start to the start answer in the window, as
# quorix_driver.exe sees it), median of a few runs; VmRSS right after the start.
#
# usage: bench/startup.sh [NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR]]   ("-" leaves one out)
#   QRX_BENCH_RUNS   runs per program (default 5)
set -u
# shellcheck source-path=SCRIPTDIR source=bench_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_env.sh"
python3 "$bench_root/bench/quorix_bench.py" startup "$native_dir" "$windows_dir" "${QRX_BENCH_RUNS:-5}"
