#!/usr/bin/env bash
# Hidden configurations are used and the user's catalogue and link list are kept: native qrxsh.
set -eu
exec python3 "$(dirname "$0")/hidden_files_check.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
