#!/usr/bin/env bash
# The transcripts with qrxsh.exe under Wine: same input, same output as natively.
source "$(dirname "$0")/wine_env.sh"
wine_run python3 "$here/qrxsh_transcripts.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
