#!/usr/bin/env python3
"""quorix.exe started again and again under Wine while both cores are busy: every start must
show its window (visible to Windows and mapped on the X display) within 15 s, and EXIT must
end the process. Then a start that cannot show its window in time (QRX_START_LIMIT_MS=0)
must say so in a box and end with status 3.

The load is two busy loops at nice 10, ended when the starts are done. Prints one line per
failed check, a note with the slowest start, and "N passed, N failed".

usage: wine_start_loop.py WINDOWS_BUILD_DIR SOURCE_DIR [STARTS]
"""
import os
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_quorix as wq  # noqa: E402  (the window driver and its helpers)
from wine_quorix import check  # noqa: E402

WINDOW_S = 15


def mapped_on_x(caption, timeout):
    """True when an X window whose name starts with caption is viewable within timeout
    seconds (xdotool takes a POSIX regular expression)."""
    end = time.time() + timeout
    while time.time() < end:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                "^" + caption],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if found.returncode == 0:
            return True
        time.sleep(0.1)
    return False


def one_start(folder, n, slowest):
    q = wq.Quorix(folder)
    try:
        # The driver is a Wine program too: it is up before quorix starts, so its clock is
        # the start's.
        driver = wq.Driver([["wait-window", str(WINDOW_S * 1000)], ["stamp"], ["pid"]])
        time.sleep(0.5)
        began = time.time()
        q.start()
        ok, lines, err = driver.result(timeout=WINDOW_S + 60)
        if not check(f"start {n}: the window is visible within {WINDOW_S} s", ok, err):
            return
        slowest[0] = max(slowest[0], float(lines[1]) - began)
        q.wpid = int(lines[2])
        check(f"start {n}: the window is mapped on the X display",
              mapped_on_x(f"{wq.PRODUCT} Ver", WINDOW_S - (time.time() - began)))
        wq.expect(f"start {n}: EXIT closes the window",
                  wq.enter(q, "EXIT", ["wait-gone", "15000"]))
        check(f"start {n}: EXIT ends the process", q.ended(15))
    finally:
        q.stop()


def scenario_starts_under_load(folder, starts):
    q = wq.Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    load = [subprocess.Popen(["nice", "-n", "10", "sh", "-c", "while :; do :; done"])
            for _ in range(2)]
    slowest = [0.0]
    try:
        for n in range(1, starts + 1):
            one_start(folder, n, slowest)
    finally:
        for p in load:
            p.kill()
            p.wait()
    print(f"note: {starts} starts under load, the slowest window came after {slowest[0]:.1f} s")


def scenario_start_that_cannot_show(folder):
    q = wq.Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    os.environ["QRX_START_LIMIT_MS"] = "0"
    try:
        driver = wq.Driver([["dismiss-box", "60000"]])
        time.sleep(0.5)
        q.start()
        ok, lines, err = driver.result(timeout=120)
        if check("a start given no time says so in a box", ok, err):
            check("the box says that the window could not be shown",
                  "could not show its window" in lines[0], repr(lines))
        check("... and the process ends with status 3",
              q.ended(15) and q.proc.returncode == 3, repr(q.proc.returncode))
    finally:
        del os.environ["QRX_START_LIMIT_MS"]
        q.stop()


def main():
    wq.BUILD, wq.SOURCE = sys.argv[1], sys.argv[2]
    starts = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    return wq.run_scenarios((lambda folder: scenario_starts_under_load(folder, starts),
                             scenario_start_that_cannot_show), "qrx-wine-starts-")


if __name__ == "__main__":
    sys.exit(main())
