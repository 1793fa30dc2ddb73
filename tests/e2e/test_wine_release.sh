#!/usr/bin/env bash
# The release zip (release_check.py): its contents, how its programs were built, and quorix.exe
# and qrxsh.exe started from it under Wine. Needs the zip of `cmake --workflow --preset release`
# and quorix_driver.exe of the windows build; runs in the prefix and display of wine_env.sh,
# which it sets up (and ends) itself when run on its own.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_dir=${QRX_SOURCE_DIR:-$(cd "$here/../.." && pwd)}
release=${QRX_RELEASE_BUILD_DIR:-$source_dir/build/release}
# The version the release was made with: the one project() gives.
version=${QRX_VERSION:-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt" 2>/dev/null)}
# shellcheck source-path=SCRIPTDIR source=wine_env.sh
source "$here/wine_env.sh"
export QRX_SESSION_END=off
wine_run python3 "$here/release_check.py" "$release" "${QRX_WINDOWS_BUILD_DIR:-$source_dir/build/windows}" \
  "$source_dir" "${version:-unknown}"
