#!/usr/bin/env bash
# One configuration used in turn by quorix.exe under Wine and by the native quorix window:
# what one stored, the other reads. Runs in the prefix and display of wine_env.sh.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
for f in "${QRX_WINDOWS_BUILD_DIR:-}/quorix.exe" "${QRX_NATIVE_BUILD_DIR:-}/quorix"; do
  [ -f "$f" ] || { echo "FAIL: $f not found (build the windows and native presets)"; exit 1; }
done
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR=$runtime
trap 'rm -rf "$runtime"' EXIT
wine_run python3 "$here/desktop_check.py" "$QRX_NATIVE_BUILD_DIR" - --shared "$QRX_WINDOWS_BUILD_DIR/quorix.exe"
