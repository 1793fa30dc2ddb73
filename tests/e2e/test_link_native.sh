#!/usr/bin/env bash
# LINK and WOL between native qrxsh processes: loopback, and a private network namespace.
exec python3 "$(dirname "$0")/link_native.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
