#!/usr/bin/env bash
# quorix.exe started 20 times under CPU load (wine_start_loop.py).
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/wine_start_loop.py" "$QRX_WINDOWS_BUILD_DIR"
