#!/usr/bin/env bash
# Shared set-up of the benchmark scripts (sourced): the build folders and, when quorix.exe is
# measured, a Wine prefix and Xvfb display of their own (ended again by bench_env_end).
#   native build folder: $1, else $QRX_NATIVE_BUILD_DIR, else build/native
#   windows build folder: $2, else $QRX_WINDOWS_BUILD_DIR, else build/windows
#   an empty value or "-" leaves that side out
#   the prefix lives in $QRX_BENCH_WINE_DIR/wineprefix (default /tmp/qrx-bench-wine), kept
#   between runs so that only the first run pays for creating it
export QRX_SESSION_END=off
bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native_dir=${1-${QRX_NATIVE_BUILD_DIR:-$bench_root/build/native}}
windows_dir=${2-${QRX_WINDOWS_BUILD_DIR:-$bench_root/build/windows}}
[ "$native_dir" = "-" ] && native_dir=""
[ "$windows_dir" = "-" ] && windows_dir=""
if [ -n "$native_dir" ] && [ ! -x "$native_dir/qrxsh" ]; then
  echo "note: no $native_dir/qrxsh, the native figures are left out" >&2
  native_dir=""
fi
if [ -n "$windows_dir" ] && { [ ! -f "$windows_dir/quorix.exe" ] || [ ! -f "$windows_dir/quorix_driver.exe" ]; }; then
  echo "note: no quorix.exe and quorix_driver.exe in $windows_dir, the Wine figures are left out" >&2
  windows_dir=""
fi

bench_wine_started=0
if [ -n "$windows_dir" ]; then
  export QRX_TEST_BUILD_DIR=${QRX_BENCH_WINE_DIR:-/tmp/qrx-bench-wine}
  mkdir -p "$QRX_TEST_BUILD_DIR"
  # shellcheck source-path=SCRIPTDIR source=../tests/e2e/wine_env.sh
  source "$bench_root/tests/e2e/wine_env.sh"
  if [ ! -f "$state/display" ]; then
    wine_setup >/dev/null || { echo "Wine prefix setup failed" >&2; exit 1; }
    bench_wine_started=1
  fi
fi

bench_env_end() {
  if [ "$bench_wine_started" -eq 1 ]; then wine_cleanup; fi
}
trap bench_env_end EXIT
