#!/usr/bin/env bash
# 10,000 distinct "SET n v" lines from a command file through native qrxsh against the bare
# floor of the same writes (read, write a temporary file, rename), side by side.
#
# usage: bench/writes.sh [NATIVE_BUILD_DIR]   (default: $QRX_NATIVE_BUILD_DIR, else build/native)
#   QRX_BENCH_ROUNDS   rounds of floor + qrxsh (default 3)
#   QRX_BENCH_LINES    lines of the command file (default 10000)
#   QRX_BENCH_DIR      where the folders are made (default: the system's temporary folder)
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native_dir=${1:-${QRX_NATIVE_BUILD_DIR:-$root/build/native}}
# The runs happen in folders of their own: the build folder must not depend on this one.
native_dir=$(cd "$native_dir" && pwd)
export QRX_SESSION_END=off
exec python3 "$root/bench/profile_bench.py" writes "$native_dir" "${QRX_BENCH_ROUNDS:-3}" \
  "${QRX_BENCH_LINES:-10000}"
