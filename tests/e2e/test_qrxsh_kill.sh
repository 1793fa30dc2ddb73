#!/usr/bin/env bash
# Crash safety of settings writes: qrxsh killed with SIGKILL at random moments, native build.
exec python3 "$(dirname "$0")/qrxsh_kill.py" "$QRX_NATIVE_BUILD_DIR/qrxsh" 40
