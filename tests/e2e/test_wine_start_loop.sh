#!/usr/bin/env bash
# quorix.exe started 20 times under CPU load, and a start that cannot show its window
# (wine_start_loop.py). Needs QRX_WINDOWS_BUILD_DIR and QRX_SOURCE_DIR; runs in the prefix and
# display of wine_env.sh, and sets them up (and ends them) itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export QRX_SOURCE_DIR=${QRX_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off

for f in quorix.exe quorix_driver.exe; do
  if [ ! -f "${QRX_WINDOWS_BUILD_DIR:-}/$f" ]; then
    echo "FAIL: ${QRX_WINDOWS_BUILD_DIR:-(QRX_WINDOWS_BUILD_DIR not set)}/$f not found (build the windows preset)"
    echo "0 passed, 1 failed"
    exit 1
  fi
done

wine_run python3 "$here/wine_start_loop.py" "$QRX_WINDOWS_BUILD_DIR" "$QRX_SOURCE_DIR"
