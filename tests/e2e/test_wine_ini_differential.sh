#!/usr/bin/env bash
# The INI engine of the POSIX platform against the Windows profile API under Wine: one script
# of INI operations runs through the native ini_script and through ini_script.exe, and
# compare_ini.py compares every result and file state (see docs/ini-engine.md).
source "$(dirname "$0")/wine_env.sh"
tool="$here/../wine/ini_script"
native="$QRX_TEST_BUILD_DIR/tests/ini_script"
exe="$QRX_WINDOWS_BUILD_DIR/ini_script.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/qrx-ini-diff.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/native" "$work/wine"
cp "$tool/ini_operations.txt" "$work/"
winwork=$(winepath -w "$work" 2>/dev/null | tr -d '\r')
"$native" "$work/ini_operations.txt" "$work/native" >"$work/native.out" ||
  { echo "FAIL: the native ini_script ($native) stopped"; exit 1; }
timeout 300 wine "$exe" "$winwork\\ini_operations.txt" "$winwork\\wine" >"$work/wine.out" ||
  { echo "FAIL: ini_script.exe ($exe) stopped"; exit 1; }
python3 "$tool/compare_ini.py" "$work/native.out" "$work/wine.out"
