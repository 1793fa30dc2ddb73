#!/usr/bin/env python3
"""The clipboard watch of native qrxsh on a real X display (DISPLAY, from the caller): every
command put on the clipboard runs once; while nothing changes the clipboard helper is hardly
ever started; the loss of the X server ends nothing. The xclip qrxsh finds on PATH logs each
start and runs the real one.

usage: clipboard_watch_check.py QRXSH XSERVER_PID
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import check


def copy(text):
    subprocess.run(["xclip", "-selection", "clipboard", "-in"], input=text.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=10)


def main():
    exe, server, real = sys.argv[1], int(sys.argv[2]), shutil.which("xclip")
    if not check("xclip is there (Debian package xclip)", real is not None):
        return e2e.summary()
    with tempfile.TemporaryDirectory(prefix="qrx-clipwatch-") as folder:
        log = os.path.join(folder, "starts.log")
        os.makedirs(os.path.join(folder, "bin"))
        with open(os.path.join(folder, "bin", "xclip"), "w") as f:
            f.write(f"#!/bin/sh\necho \"$*\" >> '{log}'\nexec '{real}' \"$@\"\n")
        os.chmod(os.path.join(folder, "bin", "xclip"), 0o755)
        env = dict(os.environ, PATH=os.path.join(folder, "bin") + ":/usr/bin:/bin",
                   QRX_SESSION_END="off", WAYLAND_DISPLAY="")
        config = os.path.join(e2e.make_folder(folder, catalogue=None), "QRX_CORE.INI")
        q = e2e.Qrxsh([exe, config], folder, env)

        def starts():
            return sum(1 for _ in open(log)) if os.path.exists(log) else 0

        def ran(word, timeout=5):
            return q.wait("ANSWER", re.compile(".*" + re.escape(word) + ".*"), timeout)
        copy("ordinary text")
        q.type("SET CLIPFLG ON")
        check("SET CLIPFLG ON answers", q.wait("ANSWER") is not None)
        time.sleep(1)
        before = starts()
        time.sleep(3)
        check("the text is read again at most once in 30 idle ticks", starts() - before <= 1,
              f"{starts() - before} helper starts")
        for text in ["QSCMD:SET 5 first", "qscmd:SET 6 second", "QSCMD:SET 6 second",
                     "not a command", "QSCMD:SET 7 after"]:
            copy(text)
            if text.upper().startswith("QSCMD:"):
                check(f"{text} runs", ran(text.split()[-1]))
        os.kill(server, 15)
        time.sleep(1)
        q.type("SET 8 alive")
        check("qrxsh answers after the X server ended", ran("alive", 10))
        check("qrxsh ends normally", q.close() == 0)
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
