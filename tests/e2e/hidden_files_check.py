#!/usr/bin/env python3
"""Hidden configurations under Wine are used, and start-up never replaces the user's
catalogue or link list: qrxsh.exe starts twice on each configuration below; the second run
sees what the first stored, and the catalogue and link list the user edited in between stay
as they are. (The same natively: ConfigPathTest, PosixPlatformTest.ExistenceSeesHiddenFiles…,
StartupTest.)

  .q.ini                  a name starting with "." (Wine reports such files as hidden)
  .config/quorix/config   no extension in a dotted folder: the siblings are cut inside the
                          folder name (.MSG and .LKD beside .config)
  h.ini                   the hidden attribute on it and its siblings, where the file
                          system keeps DOS attributes

usage: hidden_files_check.py QRXSH_EXE
"""
import os
import subprocess
import sys
import tempfile

import qrx_e2e as e2e
from qrx_e2e import check

CATALOGUE = b"[SET]\r\n0-9=mine #B=#A\r\n"
LINKS = b"[LINK]\r\nfriend=192.0.2.1\r\n"
CASES = [(".q.ini", (".q.MSG", ".q.LKD"), False),
         (".config/quorix/config", (".MSG", ".LKD"), False),
         ("h.ini", ("h.MSG", "h.LKD"), True)]


def hide(paths):
    """Sets the hidden attribute; False where the file system cannot keep it."""
    line = " & ".join(f"attrib +h {e2e.win_path(p)} & attrib {e2e.win_path(p)}" for p in paths)
    out = subprocess.run(["wine", "cmd", "/c", line], capture_output=True, timeout=120).stdout
    lines = out.decode("utf-8", "replace").splitlines()
    return len([l for l in lines if "H" in l.split("Z:")[0]]) == len(paths)


def case(exe, parent, config_rel, siblings_rel, hidden):
    folder = e2e.make_folder(parent, exe, config=None)
    config = os.path.join(folder, config_rel)
    os.makedirs(os.path.dirname(config), exist_ok=True)
    msg, lkd = (os.path.join(folder, s) for s in siblings_rel)
    cmd = e2e.command(os.path.join(folder, os.path.basename(exe)), True, e2e.win_path(config))
    first = e2e.run_lines(cmd, ["SET 1 remembered", "ALIAS HI SET 2 hello"], folder, timeout=120)
    check(f"{config_rel}: the first run makes the configuration and its siblings",
          first.returncode == 0 and all(os.path.isfile(p) for p in (config, msg, lkd)))
    for path, text in ((msg, CATALOGUE), (lkd, LINKS)):
        with open(path, "wb") as f:
            f.write(text)
    if hidden and not hide([config, msg, lkd]):
        print(f"note: no DOS attributes on this file system; {config_rel} skipped")
        return
    second = e2e.run_lines(cmd, ["SET 3 [$1]", "HI"], folder, timeout=120)
    got = e2e.answers(second.stdout)
    check(f"{config_rel}: the second run reads what the first stored, with the user's catalogue",
          second.returncode == 0 and {(3, "mine 3=[remembered]"), (3, "mine 2=hello")} <= set(got),
          repr(got))
    check(f"{config_rel}: the catalogue and the link list are kept",
          open(msg, "rb").read() == CATALOGUE and open(lkd, "rb").read() == LINKS)


def main():
    with tempfile.TemporaryDirectory(prefix="qrx-hidden-") as parent:
        for row in CASES:
            case(sys.argv[1], parent, *row)
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
