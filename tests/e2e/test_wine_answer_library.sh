#!/usr/bin/env bash
# Answers handed to the outside answer library under Wine.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/library_check.py" answers "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" \
  "$QRX_WINDOWS_BUILD_DIR/doubles/answer_library/QS_DLL1.DLL"
