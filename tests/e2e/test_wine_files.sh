#!/usr/bin/env bash
# The file, desktop and media commands of qrxsh.exe under Wine, on real files.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/files_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
