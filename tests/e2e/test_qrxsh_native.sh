#!/usr/bin/env bash
# The line runner's transcripts, native build.
exec python3 "$(dirname "$0")/qrxsh_transcripts.py" "$QRX_NATIVE_BUILD_DIR/qrxsh"
