#!/usr/bin/env bash
# LINK between quorix.exe under Wine and a native qrxsh, and WOL from qrxsh.exe under Wine in a
# private network namespace (wine_link.py), in the prefix and display of wine_env.sh, which it
# sets up (and ends) itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
wine_run python3 "$here/wine_link.py" "${QRX_WINDOWS_BUILD_DIR:-}" "${QRX_NATIVE_BUILD_DIR:-}" \
  "${QRX_SOURCE_DIR:-$here/../..}"
