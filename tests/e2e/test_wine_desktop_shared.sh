#!/usr/bin/env bash
# One configuration used in turn by quorix.exe under Wine and by the native quorix window:
# what one stored, the other reads.
source "$(dirname "$0")/wine_env.sh"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
wine_run python3 "$here/desktop_check.py" "$QRX_NATIVE_BUILD_DIR" - --shared \
  "$QRX_WINDOWS_BUILD_DIR/quorix.exe"
