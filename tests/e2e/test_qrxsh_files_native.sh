#!/usr/bin/env bash
# The file, desktop and media commands of qrxsh on Linux, on real files.
set -eu
exec python3 "$(dirname "$0")/files_check.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
