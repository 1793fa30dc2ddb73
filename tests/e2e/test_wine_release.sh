#!/usr/bin/env bash
# The release zip: its contents, how its programs were built, and quorix.exe and qrxsh.exe
# started from it under Wine (release_check.py has the checks). Needs the zip of the release
# preset (cmake --workflow --preset release), quorix_driver.exe of the windows build and
# QRX_VERSION; runs in the prefix and display of wine_env.sh, and sets them up (and ends them)
# itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export QRX_SOURCE_DIR=${QRX_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
export QRX_RELEASE_BUILD_DIR=${QRX_RELEASE_BUILD_DIR:-$QRX_SOURCE_DIR/build/release}
export QRX_WINDOWS_BUILD_DIR=${QRX_WINDOWS_BUILD_DIR:-$QRX_SOURCE_DIR/build/windows}
# The version the release was made with: the one project() gives.
version=${QRX_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' \
  "$QRX_RELEASE_BUILD_DIR/CMakeCache.txt" 2>/dev/null)}
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off

if [ -z "$version" ]; then
  echo "FAIL: QRX_VERSION not set and no release build in $QRX_RELEASE_BUILD_DIR"
  echo "0 passed, 1 failed"
  exit 1
fi

own_setup=0
if [ -z "${DISPLAY:-}" ] || [ ! -f "$state/display" ]; then
  wine_setup || { echo "FAIL: Wine prefix setup"; exit 1; }
  own_setup=1
fi
python3 "$here/release_check.py" "$QRX_RELEASE_BUILD_DIR" "$QRX_WINDOWS_BUILD_DIR" \
  "$QRX_SOURCE_DIR" "$version"
rc=$?
[ "$own_setup" -eq 1 ] && wine_cleanup
exit $rc
