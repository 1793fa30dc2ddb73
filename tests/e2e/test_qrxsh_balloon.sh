#!/usr/bin/env bash
# The line runner's balloon countdown and the return from a message's own skin, native build.
exec python3 "$(dirname "$0")/qrxsh_balloon.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
