#!/usr/bin/env bash
# Builds quorix and starts it. Arguments are passed on (for example a configuration file).
set -euo pipefail
caller_dir="$PWD"
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null && cmake --build --preset windows
if [ -f build/windows/quorix.exe ]; then
  export WINEPREFIX="${WINEPREFIX:-$HOME/.quorix-wine}" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A Linux path (absolute, or relative to where run.sh was called, with a "/" in it) is
  # turned into the Windows path Wine maps it to; a bare name stays a name beside quorix.exe.
  if [ "$#" -ge 1 ] && [[ "$1" == */* ]] && [[ "$1" != [A-Za-z]:* ]]; then
    case "$1" in
      /*) posix_path="$1" ;;
      *) posix_path="$caller_dir/$1" ;;
    esac
    windows_path="$(wine winepath -w "$posix_path" 2>/dev/null | tr -d '\r')"
    set -- "$windows_path" "${@:2}"
  fi
  exec wine build/windows/quorix.exe "$@"
fi
echo "build/windows/quorix.exe was not built" >&2
exit 1
