#!/usr/bin/env bash
# Hidden configurations with qrxsh.exe under Wine, where dot-files and files with the hidden
# attribute are hidden to the program.
set -eu
source "$(dirname "$0")/wine_env.sh"
exec python3 "$(dirname "$0")/hidden_files_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe"
