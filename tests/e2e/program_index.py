#!/usr/bin/env python3
"""The program index against real sources, through the line runner.

Native: desktop entries in a temporary XDG folder, the index on from the start. An entry is
found by its launch name and by a word of its Name and starts its program by name; a hidden,
a NoDisplay and a TryExec-less entry are not offered; an entry added while qrxsh runs is
completed within 2 s, one removed is gone within 2 s. (Aliases and commands before indexed
names: CompletionTest.)
--wine: a shortcut saved in the prefix's Start menu through the shell's link interface
(tests/wine/make_shortcut) is found by a word of its name and launched by its target's name.

usage: program_index.py EXECUTABLE [--wine MAKE_SHORTCUT_EXE]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import check

CONFIG = e2e.CONFIG + b"[SET]\r\nINDEX=ON\r\n"


def box(q, text):
    """The box after `text` and one Tab."""
    q.type(text + "\t")
    event = q.wait("BOX")
    return event[1] if event else None


def box_within(q, text, want, seconds):
    return e2e.wait_for(lambda: box(q, text) == want, seconds)


def entry(path, name, exec_line, extra=""):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"[Desktop Entry]\nType=Application\nName={name}\nExec={exec_line}\n{extra}")


def native(folder):
    apps, opt, marker = (os.path.join(folder, n) for n in ("sys/applications", "opt", "ran.txt"))
    program = os.path.join(opt, "runme")
    os.makedirs(opt)
    os.makedirs(os.path.join(folder, "bin"))
    with open(program, "w") as f:
        f.write(f'#!/bin/sh\necho "$@" > "{marker}"\n')
    os.chmod(program, 0o755)
    entry(os.path.join(apps, "runme.desktop"), "Run Me Tool", program + " %u")
    for name, extra in [("gone", "Hidden=true"), ("nod", "NoDisplay=true"),
                        ("try", "TryExec=/nonexistent/tryprog")]:
        entry(os.path.join(apps, name + ".desktop"), name, name + "prog", extra + "\n")
    env = dict(os.environ, HOME=folder, XDG_DATA_HOME=os.path.join(folder, "home"),
               XDG_DATA_DIRS=os.path.join(folder, "sys"), PATH=os.path.join(folder, "bin"),
               LANG="C")
    q = e2e.Qrxsh([os.path.join(folder, "qrxsh")], folder, env)
    try:
        check("a desktop entry by its launch name", box_within(q, "run", "runme ", 3))
        check("a desktop entry by a word of its Name", box(q, "tool") == "runme ")
        for name in ("goneprog", "nodprog", "tryprog"):
            check(f"not offered: {name}", box(q, name) == name)
        q.type("runme a b")
        check("the entry's program starts by name with the line's arguments",
              e2e.wait_for(lambda: os.path.exists(marker))
              and open(marker).read().strip() == "a b")
        # GLib offers only entries whose program is there.
        shutil.copy(program, os.path.join(opt, "freshprog"))
        entry(os.path.join(folder, "home/applications/fresh.desktop"), "Fresh Thing",
              os.path.join(opt, "freshprog"))
        start = time.time()
        found = box_within(q, "freshp", "freshprog ", 2)
        check(f"an entry added while running is completed ({time.time() - start:.2f} s)", found)
        os.remove(os.path.join(apps, "runme.desktop"))
        check("an entry removed while running is gone", box_within(q, "runm", "runm", 2))
    finally:
        q.close()
    with open(os.path.join(folder, "QRX_CORE.IDX"), encoding="utf-8") as f:
        kept = f.read()
    check("the index file is up to date", "Fresh Thing" in kept and "Run Me Tool" not in kept)


def wine(folder, make_shortcut):
    target, marker = os.path.join(folder, "runme.exe"), os.path.join(folder, "ran.txt")
    shutil.copy(make_shortcut, target)
    rc = subprocess.run(["wine", make_shortcut, "create", "Run Me Tool", e2e.win_path(target),
                         "touch " + e2e.win_path(marker)], timeout=120).returncode
    check("the shortcut was saved through the shell's link interface", rc == 0)
    q = e2e.Qrxsh(["wine", os.path.join(folder, "qrxsh.exe")], folder)
    try:
        check("the shortcut's target by its name", box_within(q, "runme", "runme ", 30))
        check("the shortcut by a word of its name", box(q, "tool") == "runme ")
        q.type("runme")
        check("the shortcut's target starts by name", e2e.wait_for(lambda: os.path.exists(marker), 30))
    finally:
        q.close()
        subprocess.run(["wine", make_shortcut, "remove", "Run Me Tool"], timeout=120)


def main():
    with tempfile.TemporaryDirectory(prefix="qrx-index-") as parent:
        folder = e2e.make_folder(parent, sys.argv[1], e2e.REAL_CATALOGUE, CONFIG)
        if "--wine" in sys.argv:
            wine(folder, sys.argv[sys.argv.index("--wine") + 1])
        else:
            native(folder)
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
