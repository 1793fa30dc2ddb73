#!/usr/bin/env bash
# The file, desktop and media commands of qrxsh.exe under Wine, on real files.
set -eu
source "$(dirname "$0")/wine_env.sh"
exec python3 "$(dirname "$0")/files_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
