#!/usr/bin/env python3
"""Measures the desktop quorix (see desktop.sh). Start to window shown: until the X server
reports the first window mapped (xev on the root window, nothing else maps one meanwhile); start to the start answer: until the AUTOEXEC alias,
which runs right before "SYSTEM_START", has written its file; the memory is VmRSS once the
start is over; the idle CPU is the time on a CPU over an idle stretch after the start answer
has been wiped."""
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

EXE, RUNS, IDLE = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])


def visible(pid):
    r = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                        "--name", "Ver"], capture_output=True, text=True)
    return r.stdout.split()


def watch_maps():
    """xev on the root window: a line "MapNotify" arrives when a window is mapped."""
    xev = subprocess.Popen(["xev", "-root", "-event", "substructure"], stdout=subprocess.PIPE,
                           text=True)
    mapped = []

    def read():
        for line in xev.stdout:
            if line.startswith("MapNotify"):
                mapped.append(time.time())
    threading.Thread(target=read, daemon=True).start()
    time.sleep(0.3)
    return xev, mapped


def start(folder):
    ini = os.path.join(folder, "QRX_CORE.INI")
    marker = os.path.join(folder, "started")
    with open(ini, "wb") as f:
        f.write(f"[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nAUTOEXEC=ECHO {marker} up\r\n".encode())
    if os.path.exists(marker):
        os.remove(marker)
    xev, mapped = watch_maps()
    t0 = time.time()
    proc = subprocess.Popen([EXE, ini], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not os.path.exists(marker):
        time.sleep(0.002)
    answered = os.stat(marker).st_mtime - t0
    while not mapped:
        time.sleep(0.002)
    shown = mapped[0] - t0
    xev.kill()
    xev.wait()
    return proc, shown, answered


def cpu_seconds(pid):
    """Time on a CPU of all the process's threads, in nanoseconds' resolution."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/schedstat") as f:
            total += int(f.read().split()[0])
    return total / 1e9


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def exit_time(proc):
    wid = visible(proc.pid)[0]
    subprocess.run(["xdotool", "windowactivate", "--sync", wid, "type", "EXIT"])
    t0 = time.time()
    subprocess.run(["xdotool", "key", "Return"])
    proc.wait()
    return time.time() - t0


def main():
    shown, answered, gone, rss = [], [], [], []
    with tempfile.TemporaryDirectory() as folder:
        for i in range(RUNS):
            proc, s, a = start(folder)
            shown.append(s)
            answered.append(a)
            time.sleep(1)
            rss.append(rss_mb(proc.pid))
            if i == 0:
                time.sleep(9)  # the start answer's countdown and wipe are over: idle from here
                before = cpu_seconds(proc.pid)
                time.sleep(IDLE)
                idle = (cpu_seconds(proc.pid) - before) / IDLE * 100
            gone.append(exit_time(proc))
    floor = os.path.join(os.path.dirname(EXE), "bench", "tick_floor")
    if os.path.exists(floor):
        proc = subprocess.Popen([floor], stderr=subprocess.DEVNULL)
        time.sleep(3)
        before = cpu_seconds(proc.pid)
        time.sleep(IDLE)
        idle_floor = (cpu_seconds(proc.pid) - before) / IDLE * 100
        proc.kill()
        proc.wait()
    print(f"start to window shown:  median {statistics.median(shown):.3f} s  (max {max(shown):.3f})")
    print(f"start to SYSTEM_START:  median {statistics.median(answered):.3f} s  (max {max(answered):.3f})")
    print(f"resident memory:        median {statistics.median(rss):.1f} MB")
    print(f"idle CPU over {IDLE:.0f} s:     {idle:.3f} % of a core")
    if os.path.exists(floor):
        print(f"  a bare Qt window with the same 100 ms timer: {idle_floor:.3f} % of a core")
    print(f"EXIT to process gone:   median {statistics.median(gone):.3f} s  (max {max(gone):.3f})")


if __name__ == "__main__":
    main()
