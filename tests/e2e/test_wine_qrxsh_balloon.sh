#!/usr/bin/env bash
# The line runner's balloon countdown and the return from a message's own skin, with
# qrxsh.exe under Wine (the Windows version decides the skinned layout there).
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/qrxsh_balloon.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
