#!/usr/bin/env bash
# quorix.exe's skinned window, its balloon, the popup boxes and the picture loader under Wine
# (wine_skins.py), in the prefix and display of wine_env.sh, which it sets up when run alone.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
wine_run python3 "$here/wine_skins.py" "${QRX_WINDOWS_BUILD_DIR:-}" "${QRX_SOURCE_DIR:-$here/../..}" \
  "$state/Xvfb_screen0" "$QRX_TEST_BUILD_DIR/e2e-output"
