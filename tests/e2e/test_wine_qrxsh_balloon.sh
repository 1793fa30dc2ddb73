#!/usr/bin/env bash
# The line runner's balloon countdown and the return from a message's own skin, with
# qrxsh.exe under Wine (the Windows version decides the skinned layout there).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
wine_run python3 "$here/qrxsh_balloon.py" "$QRX_WINDOWS_BUILD_DIR/qrxsh.exe" --wine
