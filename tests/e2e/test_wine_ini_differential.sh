#!/usr/bin/env bash
# The INI engine of the POSIX platform against the Windows profile API under Wine: the same
# script of INI operations runs through the native ini_script and through ini_script.exe,
# and compare_ini.py compares every result and every file state (see docs/ini-engine.md).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
tool="$here/../wine/ini_script"

native="${QRX_TEST_BUILD_DIR:-}/tests/ini_script"
exe="${QRX_WINDOWS_BUILD_DIR:-}/ini_script.exe"
for f in "$native" "$exe"; do
  if [ ! -f "$f" ]; then
    echo "FAIL: $f not found (build the test and windows presets)"
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qrx-ini-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/native" "$work/wine"
cp "$tool/ini_operations.txt" "$work/"

if ! "$native" "$work/ini_operations.txt" "$work/native" >"$work/native.out"; then
  echo "FAIL: the native ini_script stopped"
  exit 1
fi

winwork=$(winepath -w "$work" 2>/dev/null | tr -d '\r')
[ -n "$winwork" ] || { echo "FAIL: winepath gave no Windows path for $work"; exit 1; }
if ! timeout 300 wine "$exe" "$winwork\\ini_operations.txt" "$winwork\\wine" \
  >"$work/wine.out" 2>"$work/wine.err"; then
  echo "FAIL: ini_script.exe stopped"
  cat "$work/wine.err"
  exit 1
fi

python3 "$tool/compare_ini.py" "$work/native.out" "$work/wine.out"
