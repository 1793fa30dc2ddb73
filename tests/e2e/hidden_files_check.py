#!/usr/bin/env python3
"""Configuration files that are hidden are used, and start-up never replaces the user's
catalogue or link list: qrxsh is started twice on each configuration below, and the second
run must see what the first one stored while the catalogue and link list the user has edited
in between stay exactly as they are.

  .q.ini                      a name starting with "." (hidden on POSIX; Wine reports such
                              files as hidden to Windows programs too)
  h.ini                       with --wine, and where the file system keeps DOS attributes:
                              the hidden attribute on the configuration and its siblings
  .config/quorix/config       no extension in a dotted folder: the siblings are cut inside
                              the folder name (.MSG and .LKD beside .config)

usage: hidden_files_check.py EXECUTABLE [--wine]
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CATALOGUE = b"[SET]\r\n0-9=mine #B=#A\r\n"
LINKS = b"[LINK]\r\nfriend=192.0.2.1\r\n"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run(exe, wine, folder, config, lines):
    cmd = (["wine", exe] if wine else [exe]) + [windows_path(config) if wine else config]
    proc = subprocess.run(cmd, input="".join(l + "\n" for l in lines).encode(),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder, timeout=120)
    return proc.returncode, proc.stdout.decode("utf-8", "replace")


def hide(paths):
    """Sets the hidden attribute under Wine; False where the file system cannot keep it."""
    command = " & ".join(f"attrib +h {windows_path(p)}" for p in paths)  # no blanks in them
    subprocess.run(["wine", "cmd", "/c", command], capture_output=True, timeout=120)
    command = " & ".join(f"attrib {windows_path(p)}" for p in paths)
    listing = subprocess.run(["wine", "cmd", "/c", command], capture_output=True, timeout=120)
    lines = listing.stdout.decode("utf-8", "replace").splitlines()
    return len([l for l in lines if "H" in l.split("Z:")[0]]) == len(paths)


def check(exe, wine, name, config_rel, siblings_rel, hidden_attribute):
    folder = tempfile.mkdtemp(prefix="qrx-hidden-")
    failures = []
    try:
        target = os.path.join(folder, os.path.basename(exe))
        shutil.copy(exe, target)
        with open(os.path.join(HERE, "transcripts", "DEF.MSG.txt"), encoding="utf-8") as f:
            text = f.read().replace("\r\n", "\n").replace("\n", "\r\n")
        with open(os.path.join(folder, "DEF.MSG"), "wb") as f:
            f.write(text.encode("cp932"))
        config = os.path.join(folder, config_rel)
        os.makedirs(os.path.dirname(config), exist_ok=True)
        msg, lkd = (os.path.join(folder, s) for s in siblings_rel)

        rc, out = run(target, wine, folder, config,
                      ["SET 1 remembered", "ALIAS HI SET 2 hello"])
        if rc != 0:
            failures.append(f"first run exited with {rc}:\n{out}")
        for path in (config, msg, lkd):
            if not os.path.isfile(path):
                failures.append(f"first run did not create {os.path.relpath(path, folder)}")
        # The user edits the catalogue and the link list.
        with open(msg, "wb") as f:
            f.write(CATALOGUE)
        with open(lkd, "wb") as f:
            f.write(LINKS)
        if hidden_attribute and not hide([config, msg, lkd]):
            print(f"note: no DOS attributes on this file system; {name} skipped")
            return True

        rc, out = run(target, wine, folder, config, ["SET 3 [$1]", "HI"])
        if rc != 0:
            failures.append(f"second run exited with {rc}")
        for want in ("ANSWER\t3\tmine 3=[remembered]", "ANSWER\t3\tmine 2=hello"):
            if want not in out.splitlines():
                failures.append(f"second run: no line {want!r} in:\n{out}")
        with open(msg, "rb") as f:
            if f.read() != CATALOGUE:
                failures.append("the catalogue was replaced")
        with open(lkd, "rb") as f:
            if f.read() != LINKS:
                failures.append("the link list was replaced")
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print(f"FAIL {name}: {failure}")
    if not failures:
        print(f"ok   {name}")
    return not failures


def main():
    exe = sys.argv[1]
    wine = "--wine" in sys.argv[2:]
    cases = [
        ("dot name", ".q.ini", (".q.MSG", ".q.LKD"), False),
        ("dotted folder", ".config/quorix/config", (".MSG", ".LKD"), False),
    ]
    if wine:
        cases.append(("hidden attribute", "h.ini", ("h.MSG", "h.LKD"), True))
    results = []
    for name, config, siblings, hidden in cases:
        results.append(check(exe, wine, name, config, siblings, hidden))
    print(f"{sum(results)} passed, {len(results) - sum(results)} failed")
    return 0 if results and all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
