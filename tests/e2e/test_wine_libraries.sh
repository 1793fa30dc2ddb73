#!/usr/bin/env bash
# The outside libraries of qrxsh.exe under Wine: the answer library and LHA's UNLHA32.DLL.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/library_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" \
  "$QRX_WINDOWS_BUILD_DIR/doubles"
