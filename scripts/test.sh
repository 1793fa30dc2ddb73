#!/usr/bin/env bash
# Builds both targets and the release zip and runs every test: unit tests (ASan+UBSan), the
# line runner's transcripts natively and under Wine, the Windows-side tests under Wine and
# Xvfb, the zip unpacked and started under Wine, and a short run of every fuzz target on its
# seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# No test may end a real session: the platform refuses while this is set.
export QRX_SESSION_END=off
cmake --preset native >/dev/null && cmake --build --preset native
cmake --preset windows >/dev/null && cmake --build --preset windows
# The release zip (quorix-<version>-win64.zip in build/release), which a test unpacks and starts.
cmake --workflow --preset release
cmake --preset asan >/dev/null && cmake --build --preset asan
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz
ctest --preset asan -j2 --timeout 600
