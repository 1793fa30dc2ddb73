#!/usr/bin/env bash
# Builds both targets and runs every test: unit tests (ASan+UBSan), the line runner's
# transcripts natively and under Wine, the Windows-side tests under Wine and Xvfb, and a
# short run of every fuzz target on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# No test may end a real session: the platform refuses while this is set.
export QRX_SESSION_END=off
cmake --preset native >/dev/null && cmake --build --preset native
cmake --preset windows >/dev/null && cmake --build --preset windows
cmake --preset asan >/dev/null && cmake --build --preset asan
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
ctest --preset asan -j2 --timeout 600
