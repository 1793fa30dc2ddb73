#!/usr/bin/env python3
"""quorix.exe started 20 times under Wine while two busy loops (nice 10) load both cores: each
start shows its window (visible, and viewable on the X display) within 15 s and ends on EXIT.
Then a start given no time (QRX_START_LIMIT_MS=0) says so in a box and ends with status 3.

usage: wine_start_loop.py WINDOWS_BUILD_DIR [STARTS]
"""
import os
import subprocess
import sys
import time

import wine_quorix as wq
from wine_quorix import check


def on_x(q, deadline):
    """True once quorix.exe has a viewable X window (Wine marks them with its Linux pid)."""
    while time.time() < deadline:
        pid = q.linux_pid()
        if pid and subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                                  capture_output=True).returncode == 0:
            return True
        time.sleep(0.1)
    return False


def starts_under_load(folder, starts=20):
    # Wine itself (its server and desktop process) is up, as on a desktop: the first start
    # of a prefix would time Wine's own start.
    keeper = wq.Driver([["sleep", "1800000"]])
    wq.drive([["stamp"]])
    load = [subprocess.Popen(["nice", "-n", "10", "sh", "-c", "while :; do :; done"])
            for _ in range(2)]
    try:
        for n in range(1, starts + 1):
            q = wq.Quorix(folder)
            began = time.time() + 0.5  # the driver, a Wine program too, is up first
            try:
                started = q.start(f"start {n}") is not None
                check(f"start {n}: the window shows within 15 s (viewable on the X display)",
                      started and on_x(q, began + 15), f"{time.time() - began:.1f} s")
                if started:
                    q.close(f"start {n}: EXIT", ["type", "EXIT"], ["key", "ENTER"])
            finally:
                q.stop()
    finally:
        for p in load + [keeper.proc]:
            p.kill()
            p.wait()


def start_that_cannot_show(folder):
    q = wq.Quorix(folder)
    os.environ["QRX_START_LIMIT_MS"] = "0"
    try:
        driver = wq.Driver([["dismiss-box", "60000"]])
        time.sleep(0.5)
        q.proc = subprocess.Popen(["wine", os.path.join(folder, "quorix.exe"),
                                   wq.windows_path(q.config)], cwd=folder,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        ok, lines, err = driver.result(timeout=120)
        check("a start that cannot show its window says so in a box and ends with status 3",
              ok and "could not show its window" in lines[0] and q.ended()
              and q.proc.returncode == 3, err or repr((lines, q.proc.returncode)))
    finally:
        del os.environ["QRX_START_LIMIT_MS"]
        q.stop()


if __name__ == "__main__":
    wq.BUILD = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    sys.exit(wq.run_scenarios((lambda f: starts_under_load(f, count), start_that_cannot_show),
                              "qrx-wine-starts-"))
