#!/usr/bin/env bash
# The Win32 platform under Wine with a Japanese locale (code page 932): platform_check.exe on
# prepared files judges itself; what it wrote is checked here from the Unix side. And the
# picture loader (picture_check.exe).
source "$(dirname "$0")/wine_env.sh"
exe="$QRX_WINDOWS_BUILD_DIR/platform_check.exe"

failed=0
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_eq() { [ "$2" = "$3" ] || fail "$1: got '$2', want '$3'"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/qrx-wine-platform.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/cwd" "$work/find/a_folder.txt" "$work/日本語フォルダ" "$work/attr"
cp "$exe" "$work/bin/"
# Wine reports Unix dot files as hidden.
touch "$work/bin/beside.txt" "$work/bin/日本語.txt" "$work/cwd/incwd.txt" "$work/find/only.txt" \
  "$work/find/.hidden.txt" "$work/find/日本語ファイル.dat" "$work/attr/hidden.txt" "$work/attr/system.txt"
winwork=$(winepath -w "$work" 2>/dev/null | tr -d '\r')
[ -n "$winwork" ] || { echo "FAIL: winepath gave no Windows path for $work"; exit 1; }

# Hidden and system attributes need a file system that keeps extended attributes.
wine attrib +h "$winwork\\attr\\hidden.txt" >/dev/null 2>&1
wine attrib +s "$winwork\\attr\\system.txt" >/dev/null 2>&1
listing=$(wine attrib "$winwork\\attr\\*.txt" 2>/dev/null | tr -d '\r')
attributes=0
if grep -q '^ *A *H .*hidden.txt$' <<<"$listing" && grep -q '^ *A *S .*system.txt$' <<<"$listing"; then
  attributes=1
else
  echo "note: this file system keeps no DOS attributes; the hidden/system checks are skipped"
fi

out=$(cd "$work/cwd" && QRX_CHECK_JP="日本語テキスト" QRX_CHECK_EMPTY="" QRX_CHECK_ATTRIBUTES=$attributes \
  timeout 120 wine "$work/bin/platform_check.exe" "$winwork" 2>&1 | tr -d '\r')
ok=$(grep -c '^check .* ok$' <<<"$out")
bad=$(grep -c '^check .* FAIL' <<<"$out")
failed=$((failed + bad))
[ $((ok + bad)) -ge 50 ] || fail "only $((ok + bad)) checks ran (output cut short?)"

# What the program wrote, seen from the Unix side: names in UTF-8, bytes as given.
expect_eq "Japanese file name and bytes" "$(od -An -tx1 "$work/日本語.txt" 2>&1 | tr -d ' \n')" "93fa967b"
expect_eq "copy" "$(cat "$work/copy.bin" 2>&1)" "newer"
leftovers=$(find "$work" -maxdepth 1 -type f ! -name data.bin ! -name copy.bin \
  ! -name 日本語.txt ! -name 'aaaa*.txt' ! -name 'bbbb*.txt' ! -name secret.key -printf '%f ')
expect_eq "no temporary files left" "$leftovers" ""

# The picture loader on every picture format the skins may use.
mkdir "$work/pictures"
pictures=$(timeout 120 wine "$QRX_WINDOWS_BUILD_DIR/picture_check.exe" "$winwork\\pictures" 2>&1) ||
  fail "picture_check: $pictures"

[ "$failed" -eq 0 ] || printf -- '--- platform_check output\n%s\n' "$out"
echo "test_wine_platform: $((ok + 4 - failed + bad)) passed, $failed failed"
[ "$failed" -eq 0 ]
