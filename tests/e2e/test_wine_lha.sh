#!/usr/bin/env bash
# LHA through the stand-in UNLHA32.DLL, and the Win32 file and launch commands, under Wine.
set -eu
source "$(dirname "$0")/wine_env.sh"
exec python3 "$(dirname "$0")/lha_library_check.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" \
  "$QRX_WINDOWS_BUILD_DIR/doubles/lha/UNLHA32.DLL"
