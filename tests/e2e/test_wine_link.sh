#!/usr/bin/env bash
# LINK between quorix.exe under Wine and a native qrxsh, and WOL from qrxsh.exe under Wine in a
# private network namespace (wine_link.py).
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/wine_link.py" "$QRX_WINDOWS_BUILD_DIR" "$QRX_NATIVE_BUILD_DIR"
