#!/usr/bin/env bash
# Defining 2,000 aliases from a command file through native qrxsh beside the bare floor of the
# same writes, and the start-up of qrxsh with 2,000 aliases against the start-up without any.
#
# usage: bench/aliases.sh [NATIVE_BUILD_DIR]   (default: $QRX_NATIVE_BUILD_DIR, else build/native)
#   QRX_BENCH_ROUNDS   rounds of floor + qrxsh (default 3); 4 x ROUNDS + 1 start-ups each way
#   QRX_BENCH_ALIASES  aliases defined (default 2000)
#   QRX_BENCH_DIR      where the folders are made (default: the system's temporary folder)
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native_dir=${1:-${QRX_NATIVE_BUILD_DIR:-$root/build/native}}
# The runs happen in folders of their own: the build folder must not depend on this one.
native_dir=$(cd "$native_dir" && pwd)
export QRX_SESSION_END=off
exec python3 "$root/bench/profile_bench.py" aliases "$native_dir" "${QRX_BENCH_ROUNDS:-3}" \
  "${QRX_BENCH_ALIASES:-2000}"
