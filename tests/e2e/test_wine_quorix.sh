#!/usr/bin/env bash
# quorix.exe's window under Wine, driven from outside by quorix_driver.exe (wine_quorix.py), in
# the prefix and display of wine_env.sh, which it sets up (and ends) when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
wine_run python3 "$here/wine_quorix.py" "${QRX_WINDOWS_BUILD_DIR:-}" "${QRX_SOURCE_DIR:-$here/../..}"
