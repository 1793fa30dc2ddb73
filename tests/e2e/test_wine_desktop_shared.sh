#!/usr/bin/env bash
# One configuration used in turn by quorix.exe under Wine and by the native quorix window:
# what one stored, the other reads. Runs in the prefix and display of wine_env.sh.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
XDG_RUNTIME_DIR=$(mktemp -d)
export QRX_SESSION_END=off XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
wine_run python3 "$here/desktop_check.py" "$QRX_NATIVE_BUILD_DIR" - --shared "$QRX_WINDOWS_BUILD_DIR/quorix.exe"
