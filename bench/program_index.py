#!/usr/bin/env python3
"""The program index of native qrxsh against real files: building it from 3,000 desktop
entries (INDEX, from its first answer to its last), and what a kept index of 10,000 names
(3,000 desktop entries and 7,000 programs on PATH) adds to the start-up (process start to
the first ANSWER line) and to the working set (VmRSS after a Tab over all names), against the same start
with the index off. Medians over the runs.

usage: program_index.py QRXSH RUNS
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def make_sources(folder, entries, programs):
    apps = os.path.join(folder, "share", "applications")
    os.makedirs(apps)
    target = os.path.join(folder, "prog")
    with open(target, "w") as f:
        f.write("#!/bin/sh\n")
    os.chmod(target, 0o755)
    for i in range(entries):
        with open(os.path.join(apps, f"app{i:05d}.desktop"), "w") as f:
            f.write(f"[Desktop Entry]\nType=Application\nName=Application number {i}\n"
                    f"Name[ja]=アプリ {i}\nComment=A program for the benchmark\n"
                    f"Exec={target} --from-entry {i} %U\nIcon=app{i}\nCategories=Utility;\n")
    path = os.path.join(folder, "bin")
    os.makedirs(path)
    for i in range(programs):
        os.link(target, os.path.join(path, f"tool{i:05d}"))
    return dict(os.environ, HOME=folder, XDG_DATA_HOME=os.path.join(folder, "home"),
                XDG_DATA_DIRS=os.path.join(folder, "share"), PATH=path, LANG="ja_JP.UTF-8")


def config(folder, index_on):
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(b"[SYSTEM]\r\nVersion=0.50\r\n[SET]\r\nINDEX=" + (b"ON" if index_on else b"OFF")
                + b"\r\n")


def start(exe, folder, env):
    """Seconds to the first ANSWER line, and VmRSS (kB) once a Tab has had every name."""
    began = time.perf_counter()
    proc = subprocess.Popen([exe, os.path.join(folder, "QRX_CORE.INI")], cwd=folder, env=env,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    for raw in proc.stdout:
        if raw.startswith(b"ANSWER"):
            break
    elapsed = time.perf_counter() - began
    proc.stdin.write(b"zq\t\n")  # the kept index is read by now, whatever the ticks did
    proc.stdin.flush()
    for raw in proc.stdout:
        if raw.startswith(b"BOX"):
            break
    rss = 0
    with open(f"/proc/{proc.pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    proc.stdin.close()
    proc.wait()
    return elapsed, rss


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def build(exe, folder, env):
    """Seconds from INDEX's first answer to its last (wall and CPU), and the answer."""
    proc = subprocess.Popen([exe, os.path.join(folder, "QRX_CORE.INI")], cwd=folder, env=env,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdin.write("INDEX\n".encode())
    proc.stdin.flush()
    began = None
    answers = 0
    for raw in proc.stdout:
        if not raw.startswith(b"ANSWER"):
            continue
        answers += 1
        if answers == 2:  # the start answer, then INDEX's progress answer
            began = time.perf_counter()
            cpu_began = cpu_seconds(proc.pid)
        elif answers == 3:
            elapsed = time.perf_counter() - began
            cpu = cpu_seconds(proc.pid) - cpu_began
            text = raw.decode("utf-8", "replace").strip()
            break
    proc.stdin.close()
    proc.wait()
    return elapsed, cpu, text


def main():
    exe = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    folder = tempfile.mkdtemp(prefix="qrx-index-bench-")
    try:
        shutil.copy(os.path.join(os.path.dirname(exe), "DEF.MSG"), folder)
        env = make_sources(folder, 3000, 7000)
        config(folder, True)
        entries_only = dict(env, PATH=os.path.join(folder, "nothing"))
        for what, environment in (("3,000 desktop entries", entries_only),
                                  ("3,000 desktop entries and 7,000 PATH programs", env)):
            results = []
            for _ in range(runs):
                if os.path.exists(os.path.join(folder, "QRX_CORE.IDX")):
                    os.remove(os.path.join(folder, "QRX_CORE.IDX"))
                results.append(build(exe, folder, environment))
            print(f"INDEX of {what}, fresh process: median "
                  f"{statistics.median(r[0] for r in results) * 1000:.0f} ms wall, "
                  f"{statistics.median(r[1] for r in results) * 1000:.0f} ms CPU ({results[-1][2]})")
        build(exe, folder, env)  # the kept index of 10,000 names for the start-ups
        figures = {}
        for index_on in (False, True):
            config(folder, index_on)
            start(exe, folder, env)  # warm-up
            results = [start(exe, folder, env) for _ in range(runs)]
            figures[index_on] = (statistics.median(r[0] for r in results),
                                 statistics.median(r[1] for r in results))
        off, on = figures[False], figures[True]
        print(f"start-up: index off {off[0] * 1000:.1f} ms, kept index of 10,000 names "
              f"{on[0] * 1000:.1f} ms (+{(on[0] - off[0]) * 1000:.1f} ms)")
        print(f"VmRSS: index off {off[1] / 1024:.1f} MB, with 10,000 names {on[1] / 1024:.1f} MB "
              f"(+{(on[1] - off[1]) / 1024:.1f} MB)")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
