#!/usr/bin/env bash
# quorix.exe's skinned window, its balloon and the popup boxes under Wine (wine_skins.py).
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/wine_skins.py" "$QRX_WINDOWS_BUILD_DIR" "$QRX_TEST_BUILD_DIR/e2e-output"
