#!/usr/bin/env bash
# quorix.exe started 20 times under CPU load (wine_start_loop.py), in the prefix and display
# of wine_env.sh, which it sets up (and ends) itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
wine_run python3 "$here/wine_start_loop.py" "${QRX_WINDOWS_BUILD_DIR:-}" "${QRX_SOURCE_DIR:-$here/../..}"
