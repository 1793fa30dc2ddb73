#!/usr/bin/env bash
# Builds quorix and starts it. Arguments are passed on (for example a configuration file).
#   scripts/run.sh [configuration]          the native Linux window (needs a display)
#   scripts/run.sh --wine [configuration]   quorix.exe under Wine
set -euo pipefail
caller_dir="$PWD"
cd "$(dirname "$0")/.."
wine_wanted=0
if [ "${1:-}" = "--wine" ]; then
  wine_wanted=1
  shift
fi
if [ "$wine_wanted" = 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): start it from a desktop session," >&2
  echo "or on a bare machine: Xvfb :1 & DISPLAY=:1 scripts/run.sh" >&2
  exit 1
fi
bash scripts/setup.sh
# A relative configuration path means one relative to where run.sh was called.
if [ "$#" -ge 1 ] && [[ "$1" == */* ]] && [[ "$1" != /* ]] && [[ "$1" != [A-Za-z]:* ]]; then
  set -- "$caller_dir/$1" "${@:2}"
fi
if [ "$wine_wanted" = 0 ]; then
  cmake --preset native >/dev/null && cmake --build --preset native --target quorix qrxsh
  exec build/native/quorix "$@"
fi
cmake --preset windows >/dev/null && cmake --build --preset windows
if [ -f build/windows/quorix.exe ]; then
  export WINEPREFIX="${WINEPREFIX:-$HOME/.quorix-wine}" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A Linux path is turned into the Windows path Wine maps it to; a bare name stays a name
  # beside quorix.exe.
  if [ "$#" -ge 1 ] && [[ "$1" == /* ]]; then
    windows_path="$(wine winepath -w "$1" 2>/dev/null | tr -d '\r')"
    set -- "$windows_path" "${@:2}"
  fi
  exec wine build/windows/quorix.exe "$@"
fi
echo "build/windows/quorix.exe was not built" >&2
exit 1
