#!/usr/bin/env bash
# quorix.exe's skinned window, its balloon, the popup boxes and the picture loader under Wine
# (wine_skins.py).
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/wine_skins.py" "$QRX_WINDOWS_BUILD_DIR" "$state/Xvfb_screen0" \
  "$QRX_TEST_BUILD_DIR/e2e-output"
