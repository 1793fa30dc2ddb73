#!/usr/bin/env bash
# Answers handed to the outside answer library under Wine.
set -eu
source "$(dirname "$0")/wine_env.sh"
exec python3 "$(dirname "$0")/library_check.py" answers "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" \
  "$QRX_WINDOWS_BUILD_DIR/doubles/answer_library/QS_DLL1.DLL"
