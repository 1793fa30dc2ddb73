#!/usr/bin/env bash
# quorix.exe's window under Wine, driven from outside by quorix_driver.exe (wine_quorix.py), in
# the prefix and display of wine_env.sh, which it sets up (and ends) when run on its own.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/wine_quorix.py" "$QRX_WINDOWS_BUILD_DIR"
