#!/usr/bin/env bash
# LHA through the stand-in UNLHA32.DLL, and a direct-mode launch, under Wine.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/library_check.py" lha "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" \
  "$QRX_WINDOWS_BUILD_DIR/doubles/lha/UNLHA32.DLL"
