#!/usr/bin/env bash
# The program index from desktop entries in a temporary XDG folder, native qrxsh.
exec python3 "$(dirname "$0")/program_index.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
