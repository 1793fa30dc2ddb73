#!/usr/bin/env bash
# 10,000 LINK datagrams from a listed sender at full speed against native qrxsh, on the
# loopback interface: how many ran, the longest gap between two ticks meanwhile, and the
# resident memory before and after.
#
# usage: bench/link_flood.sh [NATIVE_BUILD_DIR]
#   QRX_BENCH_DATAGRAMS   how many datagrams (default 10000)
set -u
# shellcheck source-path=SCRIPTDIR source=bench_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/bench_env.sh" "${1-}" "-"
[ -n "$native_dir" ] || { echo "no native qrxsh to measure" >&2; exit 1; }
python3 "$bench_root/bench/link_flood.py" "$native_dir/qrxsh" "${QRX_BENCH_DATAGRAMS:-10000}"
