#!/usr/bin/env python3
"""Runs the line runner on every transcript in transcripts/ and compares what it prints; the
same transcripts natively and under Wine (--wine) must print the same.

NAME.in holds the lines typed (UTF-8), NAME.out the events expected (<DIR>: the run's folder).
Beside them, when present: NAME.ini the configuration the run starts with, NAME.files a
folder whose files are copied into the run's folder, NAME.real-catalogue to use the delivered
DEF.MSG instead of the test catalogue, NAME.native-only to skip it under Wine (its lines
answer questions Windows asks in dialogs of its own). Each run has a folder of its own with a
copy of the program. QRX_SEP is the path separator, QRX_NEXT_MINUTE a minute (HH:MM) that
begins at least 20 s after the start, QRX_SECONDS_TO_NEXT the seconds until 2 s into it.

usage: qrxsh_transcripts.py EXECUTABLE [--wine]
"""
import os
import shutil
import sys
import tempfile
import time

import qrx_e2e as e2e

TRANSCRIPTS = os.path.join(e2e.HERE, "transcripts")


def environment(wine):
    now = time.time()
    start = now - now % 60 + 60
    if start - now < 20:
        start += 60
    return dict(os.environ, QRX_SEP="\\" if wine else "/",
                QRX_NEXT_MINUTE=time.strftime("%H:%M", time.localtime(start)),
                QRX_SECONDS_TO_NEXT=str(int(start - now) + 2))


def run(exe, wine, name, parent):
    base = os.path.join(TRANSCRIPTS, name)
    real = os.path.exists(base + ".real-catalogue")
    folder = e2e.make_folder(parent, exe, e2e.REAL_CATALOGUE if real else e2e.TEST_CATALOGUE, None)
    if os.path.isdir(base + ".files"):
        for entry in sorted(os.listdir(base + ".files")):
            shutil.copy(os.path.join(base + ".files", entry), folder)
    if os.path.exists(base + ".ini"):
        with open(base + ".ini", encoding="utf-8") as f:
            text = f.read().replace("\r\n", "\n").split("\n")[:-1]
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(e2e.cp932_text(text))
    with open(base + ".in", "rb") as f:
        proc = e2e.run_lines(e2e.command(os.path.join(folder, os.path.basename(exe)), wine),
                             f.read(), folder, environment(wine), 240)
    got = proc.stdout.decode("utf-8", "replace")
    for shown in ([e2e.win_path(folder).replace("\\", "\\\\")] if wine else []) + [folder]:
        got = got.replace(shown + ("/" if shown == folder else "\\\\"), "<DIR>/")
        got = got.replace(shown, "<DIR>")
    with open(base + ".out", encoding="utf-8") as f:
        want = f.read()
    ok = proc.returncode == 0 and got == want
    e2e.check(f"{name} (exit {proc.returncode})", ok, "" if ok else "\n--- expected\n" + want +
              "--- got\n" + got + "--- stderr\n" + proc.stderr.decode("utf-8", "replace")[-2000:])


def main():
    exe, wine = sys.argv[1], "--wine" in sys.argv[2:]
    with tempfile.TemporaryDirectory(prefix="qrxsh-") as parent:
        for name in sorted(n[:-3] for n in os.listdir(TRANSCRIPTS) if n.endswith(".in")):
            if not (wine and os.path.exists(os.path.join(TRANSCRIPTS, name + ".native-only"))):
                run(exe, wine, name, parent)
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
