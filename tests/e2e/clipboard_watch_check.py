#!/usr/bin/env python3
"""The clipboard watch of native qrxsh on a real X display (DISPLAY, provided by the caller):
every command put on the clipboard runs once; while nothing changes, the clipboard helper is
hardly ever started; and the loss of the X server ends nothing.

The helper qrxsh finds on PATH is a wrapper that logs each start and then runs the real xclip.

usage: clipboard_watch_check.py QRXSH XSERVER_PID
"""
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time

CONFIG = b"[SYSTEM]\r\nVersion=0.50\r\n"


class Qrxsh:
    def __init__(self, exe, folder, env):
        config = os.path.join(folder, "QRX_CORE.INI")
        with open(config, "wb") as f:
            f.write(CONFIG)
        self.proc = subprocess.Popen([exe, config], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, cwd=folder, env=env)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.decode("utf-8", "replace").rstrip("\n"))
        self.lines.put(None)

    def answer(self, text, timeout):
        """Waits for an answer line holding text; True when it came."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.time()))
            except queue.Empty:
                return False
            if line is None:
                return False
            if line.startswith("ANSWER\t") and text in line:
                return True
        return False

    def send(self, line):
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()


def copy(text):
    subprocess.run(["xclip", "-selection", "clipboard", "-in"], input=text.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=10)


def main():
    exe, server = sys.argv[1], int(sys.argv[2])
    real = shutil.which("xclip")
    if real is None:
        print("FAIL: xclip is needed (Debian package xclip)")
        return 1
    folder = tempfile.mkdtemp(prefix="qrx-clipwatch-")
    failures = []
    q = None
    try:
        bindir = os.path.join(folder, "bin")
        os.makedirs(bindir)
        log = os.path.join(folder, "starts.log")
        with open(os.path.join(bindir, "xclip"), "w") as f:
            f.write(f"#!/bin/sh\necho \"$*\" >> '{log}'\nexec '{real}' \"$@\"\n")
        os.chmod(os.path.join(bindir, "xclip"), 0o755)
        env = dict(os.environ, PATH=bindir + ":/usr/bin:/bin", QRX_SESSION_END="off")
        env.pop("WAYLAND_DISPLAY", None)

        def starts():
            try:
                with open(log) as f:
                    return sum(1 for _ in f)
            except FileNotFoundError:
                return 0

        q = Qrxsh(exe, folder, env)
        copy("ordinary text")
        q.send("SET CLIPFLG ON")
        if not q.answer("", 10):
            failures.append("no answer to SET CLIPFLG ON")
        time.sleep(1)
        before = starts()
        time.sleep(3)
        idle = starts() - before
        # Thirty ticks pass; the text is read again at most once in that time.
        if idle > 1:
            failures.append(f"{idle} helper starts in 3 idle seconds with the watch on")

        for i, text in enumerate(["QSCMD:SET 5 first", "qscmd:SET 6 second", "QSCMD:SET 6 second"]):
            copy(text)
            if not q.answer(text.split()[-1], 5):
                failures.append(f"command {i + 1} ({text}) did not run")
        copy("not a command")
        copy("QSCMD:SET 7 after")
        if not q.answer("after", 5):
            failures.append("a command after ordinary text did not run")

        # The X server goes away: the watch finds no clipboard any more, and qrxsh goes on.
        os.kill(server, 15)
        time.sleep(1)
        q.send("SET 8 alive")
        if not q.answer("alive", 10):
            failures.append("qrxsh did not answer after the X server ended")
        q.proc.stdin.close()
        rc = q.proc.wait(timeout=30)
        if rc != 0:
            failures.append(f"qrxsh exited with {rc}")
    finally:
        if q is not None and q.proc.poll() is None:
            q.proc.kill()
            q.proc.wait()
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print(f"FAIL {failure}")
    print("clipboard watch: " + ("ok" if not failures else f"{len(failures)} failed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
