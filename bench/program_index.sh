#!/usr/bin/env bash
# The program index of native qrxsh: building it from 3,000 desktop entries, and what a kept
# index of 10,000 names adds to start-up time and working set.
#
# usage: bench/program_index.sh [NATIVE_BUILD_DIR]   QRX_BENCH_RUNS: runs (default 5)
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec python3 "$root/bench/program_index.py" "${1:-${QRX_NATIVE_BUILD_DIR:-$root/build/native}}/qrxsh" \
  "${QRX_BENCH_RUNS:-5}"
