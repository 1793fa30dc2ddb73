#!/usr/bin/env bash
# The same transcripts with qrxsh.exe under Wine: same input, same output.
set -eu
source "$(dirname "$0")/wine_env.sh"
exec python3 "$(dirname "$0")/qrxsh_transcripts.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
