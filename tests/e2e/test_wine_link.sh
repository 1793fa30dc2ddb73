#!/usr/bin/env bash
# LINK between quorix.exe under Wine and a native qrxsh, and WOL from qrxsh.exe under Wine in a
# private network namespace (wine_link.py has the scenarios). Needs QRX_WINDOWS_BUILD_DIR and
# QRX_NATIVE_BUILD_DIR; runs in the prefix and display of wine_env.sh, and sets them up (and
# ends them) itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export QRX_SOURCE_DIR=${QRX_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off

own_setup=0
if [ -z "${DISPLAY:-}" ] || [ ! -f "$state/display" ]; then
  wine_setup || { echo "FAIL: Wine prefix setup"; exit 1; }
  own_setup=1
fi
python3 "$here/wine_link.py" "${QRX_WINDOWS_BUILD_DIR:-}" "${QRX_NATIVE_BUILD_DIR:-}" "$QRX_SOURCE_DIR"
rc=$?
[ "$own_setup" -eq 1 ] && wine_cleanup
exit $rc
