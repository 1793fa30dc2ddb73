#!/usr/bin/env python3
"""The clipboard watch's cost and latency; called by bench/clipboard_watch.sh, which provides
the X display (DISPLAY) and passes the pid of its server.

usage: clipboard_watch.py QRXSH XSERVER_PID IDLE_SECONDS COMMANDS

CPU is read from /proc: qrxsh's own time plus the time of the helper processes it started
and reaped (cutime, cstime), and the X server's time, over an idle stretch with the watch
off (what the tick costs anyway) and one with the watch on. Then COMMANDS
lines "QSCMD:SET 5 <token>" are put on the clipboard with xclip (or xsel), one at a time, and
the time until qrxsh answers each is taken; a command without an answer within 5 s counts as
missed.
"""
import os
import queue
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HZ = os.sysconf("SC_CLK_TCK")
CONFIG = b"[SYSTEM]\r\nVersion=0.50\r\n"


def cpu(pid, with_children):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])
    if with_children:
        ticks += int(fields[13]) + int(fields[14])
    return ticks / HZ


def put_on_clipboard(text):
    if shutil.which("xclip"):
        args = ["xclip", "-selection", "clipboard", "-in"]
    else:
        args = ["xsel", "--clipboard", "--input"]
    # The helper stays behind to serve the text until another program takes the clipboard
    # (quorix empties it) or the X server ends.
    subprocess.run(args, input=text.encode(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True, timeout=10)


def idle_cpu(pid, server, seconds, label):
    c0, x0, t0 = cpu(pid, True), cpu(server, False), time.perf_counter()
    time.sleep(seconds)
    wall = time.perf_counter() - t0
    used, xused = cpu(pid, True) - c0, cpu(server, False) - x0
    print(f"{label}, idle {wall:.1f} s: qrxsh and its helpers {used:.2f} s CPU "
          f"({100 * used / wall:.2f} % of one core); X server {xused:.2f} s "
          f"({100 * xused / wall:.2f} %)")


class Qrxsh:
    def __init__(self, exe, folder):
        config = os.path.join(folder, "QRX_CORE.INI")
        with open(config, "wb") as f:
            f.write(CONFIG)
        self.proc = subprocess.Popen([exe, config], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, cwd=folder)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.decode("utf-8", "replace"))

    def until(self, text, timeout):
        """Waits for an answer holding text; the time it came, or None."""
        deadline = time.perf_counter() + timeout
        while True:
            left = deadline - time.perf_counter()
            if left <= 0:
                return None
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                return None
            if line.startswith("ANSWER\t") and text in line:
                return time.perf_counter()

    def send(self, line):
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()

    def end(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def main():
    exe, server, idle, commands = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
    folder = tempfile.mkdtemp(prefix="qrx-bench-")
    q = Qrxsh(exe, folder)
    try:
        if q.until("", 30) is None:
            raise RuntimeError("qrxsh gave no start answer")
        # Something on the clipboard, as after an ordinary copy.
        q.send("SET CLIP text copied before the idle minute")
        q.until("", 10)
        time.sleep(4)  # the answer is wiped
        idle_cpu(q.proc.pid, server, idle, "watch off")
        q.send("SET CLIPFLG ON")
        q.until("", 10)
        time.sleep(4)
        idle_cpu(q.proc.pid, server, idle, "watch on ")
        delays, missed = [], 0
        for i in range(commands):
            token = f"qrxbench{i}x"
            time.sleep(0.2 + (i % 5) * 0.07)  # not in step with the tick
            began = time.perf_counter()
            put_on_clipboard(f"QSCMD:SET 5 {token}")
            seen = q.until(token, 5)
            if seen is None:
                missed += 1
            else:
                delays.append(seen - began)
        if delays:
            ms = sorted(d * 1000 for d in delays)
            print(f"{commands} commands on the clipboard: {len(delays)} run, {missed} missed; "
                  f"delay median {statistics.median(ms):.0f} ms, max {ms[-1]:.0f} ms")
        else:
            print(f"{commands} commands on the clipboard: none ran")
    finally:
        q.end()
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
