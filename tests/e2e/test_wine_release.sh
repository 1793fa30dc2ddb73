#!/usr/bin/env bash
# The release zip (release_check.py): its contents, how its programs were built, and quorix.exe
# and qrxsh.exe started from it under Wine. Needs the zip of `cmake --workflow --preset release`
# and quorix_driver.exe of the windows build.
source "$(dirname "$0")/wine_env.sh"
release=${QRX_RELEASE_BUILD_DIR:-$here/../../build/release}
# The version the release was made with: the one project() gives.
version=${QRX_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")}
wine_run python3 "$here/release_check.py" "$release" "$QRX_WINDOWS_BUILD_DIR" "${version:-unknown}"
