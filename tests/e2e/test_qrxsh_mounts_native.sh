#!/usr/bin/env bash
# DEL and COPY of qrxsh on Linux with file systems mounted inside (a mount namespace of its own).
exec python3 "$(dirname "$0")/files_check.py" "$QRX_NATIVE_BUILD_DIR/qrxsh" --mounts
