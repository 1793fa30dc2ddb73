#!/usr/bin/env bash
# The Win32 platform under Wine with a Japanese locale (code page 932): runs platform_check.exe
# from the Windows build on prepared files and judges what it prints.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"

exe="${QRX_WINDOWS_BUILD_DIR:-}/platform_check.exe"
if [ ! -f "$exe" ]; then
  echo "FAIL: $exe not found (build the windows preset and set QRX_WINDOWS_BUILD_DIR)"
  exit 1
fi

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect_eq() {  # name got want
  if [ "$2" = "$3" ]; then pass; else fail "$1: got '$2', want '$3'"; fi
}

work=$(mktemp -d "${TMPDIR:-/tmp}/qrx-wine-platform.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/bin" "$work/cwd" "$work/find/a_folder.txt" "$work/日本語フォルダ" "$work/attr"
cp "$exe" "$work/bin/"
touch "$work/bin/beside.txt" "$work/bin/日本語.txt" "$work/cwd/incwd.txt"
# Wine reports Unix dot files as hidden.
touch "$work/find/only.txt" "$work/find/.hidden.txt" "$work/find/日本語ファイル.dat"
touch "$work/attr/hidden.txt" "$work/attr/system.txt" "$work/attr/plain.log"

winwork=$(winepath -w "$work" 2>/dev/null | tr -d '\r')
[ -n "$winwork" ] || { echo "FAIL: winepath gave no Windows path for $work"; exit 1; }

# Hidden and system attributes need a file system that keeps extended attributes.
attributes=0
wine attrib +h "$winwork\\attr\\hidden.txt" >/dev/null 2>&1
wine attrib +s "$winwork\\attr\\system.txt" >/dev/null 2>&1
listing=$(wine attrib "$winwork\\attr\\*.txt" 2>/dev/null | tr -d '\r')
if grep -q '^ *A *H .*hidden.txt$' <<<"$listing" && grep -q '^ *A *S .*system.txt$' <<<"$listing"; then
  attributes=1
else
  echo "note: this file system keeps no DOS attributes; the hidden/system attribute checks are skipped"
fi

mkdir -p "$work/logs"
(cd "$work/cwd" && QRX_CHECK_JP="日本語テキスト" QRX_CHECK_EMPTY="" \
  QRX_CHECK_ATTRIBUTES=$attributes timeout 120 wine "$work/bin/platform_check.exe" "$winwork" \
  >"$work/logs/stdout.txt" 2>"$work/logs/stderr.txt")
rc=$?
out=$(tr -d '\r' <"$work/logs/stdout.txt")
[ "$rc" -eq 0 ] || fail "platform_check.exe exited with $rc"
grep '^check .* FAIL' <<<"$out" | sed 's/^/  /'
ok=$(grep -c '^check .* ok$' <<<"$out")
bad=$(grep -c '^check .* FAIL' <<<"$out")
passed=$((passed + ok))
failed=$((failed + bad))
[ $((ok + bad)) -ge 40 ] || fail "only $((ok + bad)) checks ran (output cut short?)"

value() { sed -n "s/^value $1 //p" <<<"$out"; }
lower() { tr '[:upper:]' '[:lower:]'; }
expect_eq "program folder" "$(value program-dir)" "$winwork\\bin"
expect_eq "current folder" "$(value current-dir)" "$winwork\\cwd"
expect_eq "windows folder" "$(value windows-dir | lower)" 'c:\windows'
expect_eq "system folder" "$(value system-dir | lower)" 'c:\windows\system32'
expect_eq "environment, Japanese value" "$(value env.jp)" "日本語テキスト"
expect_eq "environment, empty value" "$(grep -c '^value env.empty $' <<<"$out")" 1

# What the program wrote, seen from the Unix side: names in UTF-8, bytes as given.
expect_eq "Japanese file name and bytes" "$(od -An -tx1 "$work/日本語.txt" 2>&1 | tr -d ' \n')" \
  "93fa967b"
expect_eq "copy" "$(cat "$work/copy.bin" 2>&1)" "newer"
leftovers=$(find "$work" -maxdepth 1 -type f ! -name data.bin ! -name copy.bin \
  ! -name 日本語.txt ! -name 'aaaa*.txt' ! -name 'bbbb*.txt' ! -name secret.key -printf '%f ')
expect_eq "no temporary files left" "$leftovers" ""

if [ "$failed" -ne 0 ]; then
  echo "--- platform_check output"
  echo "$out"
  cat "$work/logs/stderr.txt"
fi
echo "test_wine_platform: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
