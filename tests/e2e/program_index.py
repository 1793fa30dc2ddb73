#!/usr/bin/env python3
"""The program index against real sources, through the line runner.

Native: desktop entries in a temporary XDG folder. The index is on from the start; an entry
is found by its launch name and by a word of its Name, and starts its program by name; a
hidden, a NoDisplay and a TryExec-less entry are not offered; an alias of the same name
wins; an entry added while qrxsh runs is completed within 2 seconds, one removed is gone
within 2 seconds.

--wine: a shortcut saved in the prefix's Start menu through the shell's link interface
(tests/wine/make_shortcut) is found by a word of its name and launched by its target's name.

usage: program_index.py EXECUTABLE [--wine MAKE_SHORTCUT_EXE]
"""
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


class Runner:
    def __init__(self, cmd, folder, env):
        self.proc = subprocess.Popen(cmd, cwd=folder, env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.events = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            self.events.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self.events.put(None)

    def send(self, line):
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()

    def wait_for(self, prefix, seconds=10):
        end = time.time() + seconds
        while time.time() < end:
            try:
                event = self.events.get(timeout=max(0.01, end - time.time()))
            except queue.Empty:
                break
            if event is None:
                break
            if event.startswith(prefix):
                return event
        return None

    def box(self, text):
        """The box after `text` and one Tab."""
        self.send(text + "\t")
        event = self.wait_for("BOX\t")
        return event[4:] if event else None

    def box_within(self, text, want, seconds):
        end = time.time() + seconds
        while time.time() < end:
            if self.box(text) == want:
                return True
            time.sleep(0.1)
        return False

    def close(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def entry(path, name, exec_line, extra=""):
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"[Desktop Entry]\nType=Application\nName={name}\nExec={exec_line}\n{extra}")


def wait_file(path, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        if os.path.exists(path):
            return True
        time.sleep(0.1)
    return False


def native(exe, folder):
    apps = os.path.join(folder, "sys", "applications")
    os.makedirs(apps)
    os.makedirs(os.path.join(folder, "bin"))
    program = os.path.join(folder, "opt", "runme")
    os.makedirs(os.path.dirname(program))
    marker = os.path.join(folder, "ran.txt")
    with open(program, "w") as f:
        f.write(f'#!/bin/sh\necho "$@" > "{marker}"\n')
    os.chmod(program, 0o755)
    entry(os.path.join(apps, "runme.desktop"), "Run Me Tool", program + " %u")
    entry(os.path.join(apps, "gone.desktop"), "Gone", "goneprog", "Hidden=true\n")
    entry(os.path.join(apps, "nod.desktop"), "Nod", "nodprog", "NoDisplay=true\n")
    entry(os.path.join(apps, "try.desktop"), "Try", "tryprog", "TryExec=/nonexistent/tryprog\n")
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(b"[SYSTEM]\r\nVersion=0.50\r\n[SET]\r\nINDEX=ON\r\n")
    env = dict(os.environ, HOME=folder, XDG_DATA_HOME=os.path.join(folder, "home"),
               XDG_DATA_DIRS=os.path.join(folder, "sys"), PATH=os.path.join(folder, "bin"),
               LANG="C")
    r = Runner([os.path.join(folder, "qrxsh")], folder, env)
    try:
        check(r.box_within("run", "runme ", 3), "a desktop entry by its launch name")
        check(r.box("tool") == "runme ", "a desktop entry by a word of its Name")
        for name in ("goneprog", "nodprog", "tryprog"):
            check(r.box(name) == name, f"not offered: {name}")
        r.send("runme a b")
        check(wait_file(marker) and open(marker).read().strip() == "a b",
              "the entry's program starts by name with the line's arguments")
        os.remove(marker)
        r.send("ALIAS runme ANS aliaswins")
        r.send("runme")
        check(r.wait_for("ANSWER\t3\taliaswins") is not None, "an alias of the same name wins")
        r.send("ALIAS runme")
        os.makedirs(os.path.join(folder, "home", "applications"))
        # (GLib offers only entries whose program is there.)
        shutil.copy(program, os.path.join(folder, "opt", "freshprog"))
        entry(os.path.join(folder, "home", "applications", "fresh.desktop"), "Fresh Thing",
              os.path.join(folder, "opt", "freshprog"))
        start = time.time()
        found = r.box_within("freshp", "freshprog ", 2)
        check(found, f"an entry added while running is completed ({time.time() - start:.2f} s)")
        os.remove(os.path.join(apps, "runme.desktop"))
        check(r.box_within("runm", "runm", 2), "an entry removed while running is gone")
        check(not os.path.exists(marker), "the alias ran instead of the program")
    finally:
        r.close()
    with open(os.path.join(folder, "QRX_CORE.IDX"), encoding="utf-8") as f:
        kept = f.read()
    check("Fresh Thing" in kept and "Run Me Tool" not in kept, "the index file is up to date")


def wine(exe, folder, make_shortcut):
    target = os.path.join(folder, "runme.exe")
    shutil.copy(make_shortcut, target)
    marker = os.path.join(folder, "ran.txt")
    win = lambda p: "Z:" + p.replace("/", "\\")
    rc = subprocess.run(["wine", make_shortcut, "create", "Run Me Tool", win(target),
                         "touch " + win(marker)], timeout=120).returncode
    check(rc == 0, "the shortcut was saved through the shell's link interface")
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(b"[SYSTEM]\r\nVersion=0.50\r\n[SET]\r\nINDEX=ON\r\n")
    r = Runner(["wine", os.path.join(folder, "qrxsh.exe")], folder, dict(os.environ))
    try:
        check(r.box_within("runme", "runme ", 30), "the shortcut's target by its name")
        check(r.box("tool") == "runme ", "the shortcut by a word of its name")
        r.send("runme")
        check(wait_file(marker, 30), "the shortcut's target starts by name")
    finally:
        r.close()
        subprocess.run(["wine", make_shortcut, "remove", "Run Me Tool"], timeout=120)


def main():
    exe = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="qrx-index-")
    try:
        shutil.copy(exe, folder)
        shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data",
                                 "DEF.MSG"), folder)
        if "--wine" in sys.argv:
            wine(exe, folder, sys.argv[sys.argv.index("--wine") + 1])
        else:
            native(exe, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
