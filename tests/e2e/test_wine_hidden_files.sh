#!/usr/bin/env bash
# Hidden configurations with qrxsh.exe under Wine, where dot-files and files with the hidden
# attribute are hidden to the program.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/hidden_files_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe"
