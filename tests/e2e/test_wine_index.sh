#!/usr/bin/env bash
# The program index under Wine: a Start menu shortcut found and launched by name.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/program_index.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine \
  "$QRX_WINDOWS_BUILD_DIR/make_shortcut.exe"
