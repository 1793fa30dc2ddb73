#!/usr/bin/env bash
# Builds quorix and starts it. Arguments are passed on (for example a configuration file).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null && cmake --build --preset windows
if [ -f build/windows/quorix.exe ]; then
  export WINEPREFIX="${WINEPREFIX:-$HOME/.quorix-wine}" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  exec wine build/windows/quorix.exe "$@"
fi
echo "build/windows/quorix.exe was not built" >&2
exit 1
