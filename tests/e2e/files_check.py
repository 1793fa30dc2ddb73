#!/usr/bin/env python3
"""The file, desktop and media commands as a user types them, on real files.

--wine (qrxsh.exe): COPY, MOVE, RENAME and DEL go to the real SHFileOperationW (DEL with flags
20 or 84, so that no confirmation is waited for), MD/CD/CHDRIVE to the process's directory
functions, KABE and SS to SystemParametersInfo (read back from the registry), PROPERTY to
ShellExecuteEx, MCI/CDDA to winmm; names the ANSI code page lacks touch exactly the file
named; where Wine cannot use the trash, the warning quorix asks for stops a delete for good.
The trash is the one under XDG_DATA_HOME, a folder of the run's own.
--mounts (native qrxsh): DEL, COPY and MOVE in a mount namespace of their own (unshare -rm)
with file systems mounted inside the folders they work on.
(The same operations natively on plain files: posix_file_ops_test.cpp and the files and
questions transcripts.)

usage: files_check.py QRXSH_EXE --wine | QRXSH --mounts
"""
import os
import re
import subprocess
import sys
import tempfile

import qrx_e2e as e2e
from qrx_e2e import check

MESSAGES = [
    "[SYSTEM]", "START=start", "END=end", "[ECHO]", "ADD=added", "[SHFO]", "0=done #A",
    "1=nothing", "183=exists", "1223=cancelled", "ERR=shfo #A", "[SEARCH]", "ERR=not found #A",
    "[PROPERTY]", "ERR=no properties #A", "[KABE]", "CHG=wallpaper #A", "[SS]", "ON=ss on",
    "OFF=ss off", "[CDDA]", "OPEN=cd opened", "[MCI]", "OK=mci ok [#A] #B",
    "ERR=mci error #B [#A]"]
DONE = (3, "done 0")


def run(folder, lines, env, wrap=None):
    """The answers to the lines, without the start and end answers; `wrap` is a shell script
    run (in a mount namespace of its own) around the program, which it names as "$0"."""
    program = os.path.join(folder, os.path.basename(sys.argv[1]))
    cmd = ["unshare", "-rm", "bash", "-ec", wrap, program] if wrap else e2e.command(
        program, "--wine" in sys.argv)
    proc = e2e.run_lines(cmd, lines, folder, env)
    check(f"qrxsh ended normally after {lines[-1]}", proc.returncode == 0,
          proc.stderr.decode("utf-8", "replace")[-500:])
    return e2e.answers(proc.stdout)[1:-1]


def expect_rows(table, got):
    for row, answer in zip(table, got + [None] * len(table)):
        check(row[0], answer == row[1], repr(answer))


def make_files(base, names):
    for name in names:
        os.makedirs(os.path.dirname(os.path.join(base, name)), exist_ok=True)
        with open(os.path.join(base, name), "w") as f:
            f.write(name)


def listing(base):
    return sorted(os.path.relpath(os.path.join(d, n), base)
                  for d, dirs, files in os.walk(base) for n in dirs + files)


def hostile_names(folder, env):
    """A character the code page lacks must not become a "?" wildcard."""
    h = os.path.join(folder, "h")
    make_files(h, ["cafe.txt", "cafx.txt", "café.txt", "caf日.txt", "naïve.txt", "naXve.txt",
                   "a.txt", "sub/a2.txt", "d/keep"])
    cafe = e2e.win_path(h) + "\\café.txt"
    # (line, answer, files made, files gone)
    table = [("SEARCH " + cafe, (5, "not found " + cafe), [], []),
             ("DEL café.txt 16", DONE, [], ["café.txt"]),
             ("COPY naïve.txt d", DONE, ["d/naïve.txt"], []),
             ("RENAME a.txt ü.txt", DONE, ["ü.txt"], ["a.txt"]),
             ("RENAME sub\\a2.txt fresh.txt", DONE, ["sub/fresh.txt"], ["sub/a2.txt"]),
             ("COPY d d\\sub", (5, "shfo 118"), [], [])]
    before = set(listing(h))
    expect_rows(table, run(folder, ["CD h"] + [row[0] for row in table], env)[1:])
    check("hostile names: exactly the named files changed", listing(h) == sorted(
        before - {g for row in table for g in row[3]} | {a for row in table for a in row[2]}),
        repr(listing(h)))
    # Where Wine's shell cannot use the trash (its data folder is a file) it deletes for
    # good; the warning quorix asks for stops it, and Escape keeps the file.
    make_files(h, ["k.txt"])
    proc = subprocess.Popen(["wine", os.path.join(folder, os.path.basename(sys.argv[1]))],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, cwd=folder,
                            env=dict(env, XDG_DATA_HOME=os.path.join(folder, "QRX_CORE.INI")))
    proc.stdin.write(b"CD h\nDEL k.txt 84\n")
    proc.stdin.flush()
    try:
        box = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                              "ファイルの削除の確認"], stdout=subprocess.PIPE, timeout=60)
        subprocess.run(["xdotool", "key", "--window", box.stdout.split()[0], "Escape"])
    except (subprocess.TimeoutExpired, IndexError):
        check("Wine asks before a delete for good", False)
        proc.kill()
    got = e2e.answers(proc.communicate(timeout=60)[0])[1:-1]
    check("the warning's Escape keeps the file and answers cancelled",
          got[1:] == [(5, "cancelled")] and os.path.isfile(os.path.join(h, "k.txt")), repr(got))


def wine_checks(folder, env):
    hostile_names(folder, env)
    # What the files transcript (also under Wine) leaves out: folders, an existing name, the
    # trash, a drive.
    w = os.path.join(folder, "w")
    make_files(w, ["a b.txt", "w1.txt", "w2.txt", "old.txt", "tree/inner/t.txt"])
    cwd = e2e.win_path(w)
    table = [("CD w", DONE), ("COPY tree tree2", DONE), ("MD wdir", DONE),
             ("MOVE tree2 wdir", DONE), ("RENAME w1.txt w2.txt", (5, "exists")),
             ("DEL old.txt 84", DONE), ("CD", (3, cwd)), ("CHDRIVE z:", DONE)]
    expect_rows(table, run(folder, [row[0] for row in table], env))
    check("folders copied and moved whole, nothing renamed over", listing(w) == [
        "a b.txt", "tree", "tree/inner", "tree/inner/t.txt", "w1.txt", "w2.txt", "wdir",
        "wdir/tree2", "wdir/tree2/inner", "wdir/tree2/inner/t.txt"], repr(listing(w)))
    trash = listing(os.path.join(folder, "data", "Trash"))
    check("DEL with 64 moves to the trash with its info",
          "files/old.txt" in trash and "info/old.txt.trashinfo" in trash, repr(trash))

    picture = cwd + "\\a b.txt"
    got = run(folder, ["MCI FOO", "MCI", "CDDA OPEN", "PROPERTY a.txt", f'KABE "{picture}"',
                       "SS OFF", "SS ON"], env)
    match = re.fullmatch(r"mci error 292 \[(.+)\]", got[0][1]) if got else None
    check("MCI FOO answers MCI_ERR with Wine's Japanese description and its number",
          bool(got) and got[0][0] == 5 and match is not None and re.search("[\u3040-\u30ff\u4e00-\u9fff]", match.group(1)),
          repr(got[:1]))
    check("a failing CDDA OPEN shows the error description",
          len(got) > 2 and got[2][0] == 5 and got[2][1] not in ("cd opened", ""), repr(got))
    check("PROPERTY, KABE and SS answer", got[3:] == [
        (5, "no properties a.txt"), (3, f'wallpaper "{picture}"'), (3, "ss off"), (3, "ss on")],
        repr(got[3:]))

    def reg(name):
        out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", name],
                             env=env, capture_output=True, timeout=60).stdout.decode("utf-8", "replace")
        found = re.search(name + r"\s+REG_SZ\s+(.*)", out)
        return found.group(1).strip() if found else None
    check("the wallpaper is stored without the quotes, the screen saver as on",
          (reg("Wallpaper"), reg("ScreenSaveActive")) == (picture, "1"))


def mount_checks(folder, env):
    probe = subprocess.run(["unshare", "-rm", "true"], stderr=subprocess.PIPE)
    if probe.returncode != 0:
        print("SKIP: no mount namespace of our own (unshare -rm): " + probe.stderr.decode().strip())
        return 77
    setup = """mkdir -p m/t/inner m/b/inner m/bsrc m/src m/other m/ro
echo x > m/bsrc/f; echo r > m/ro/f
mount -t tmpfs none m/t/inner; echo x > m/t/inner/f; echo g > m/t/inner/g
mkdir m/t/inner/dir; echo x > m/t/inner/dir/x
mount --bind m/bsrc m/b/inner
mount --bind m/src m/other
mkdir -p m/src2/x m/dst2; mount --bind m/dst2 m/src2/x
mount --bind m/ro m/ro; mount -o remount,bind,ro m/ro
"$0"
cd m; find . | sort > ../state.txt"""
    # (line, answer): nothing changes but the moves, whatever is mounted where
    table = [
        ("DEL t 16", (5, "shfo 32")),        # another file system inside
        ("DEL b 16", (5, "shfo 32")),        # a bind mount of this one inside
        ("COPY src other/inside", (5, "shfo 118")),  # into itself through a bind mount
        ("COPY src2 dst2/src2", (5, "shfo 118")),  # the copy shown inside its source
        ("DEL ro/f 84", (5, "shfo 19")),     # to the trash from a read-only mount
        ("MOVE t/inner/dir moved", DONE),    # across file systems: copied, then removed
        ("DEL t/inner/g 84", DONE)]          # the same into the trash
    expect_rows(table, run(folder, ["CD m"] + [row[0] for row in table], env, setup)[1:])
    with open(os.path.join(folder, "state.txt")) as f:
        state = f.read().split()
    check("nothing deleted or made but the moves", state == [
        ".", "./b", "./b/inner", "./b/inner/f", "./bsrc", "./bsrc/f", "./dst2", "./moved",
        "./moved/x", "./other", "./ro", "./ro/f", "./src", "./src2", "./src2/x", "./t",
        "./t/inner", "./t/inner/f"], repr(state)[:1000])
    trash = listing(os.path.join(folder, "data", "Trash"))
    check("only g in the trash", trash == ["files", "files/g", "info", "info/g.trashinfo"], repr(trash))


def main():
    with tempfile.TemporaryDirectory(prefix="qrx-files-") as parent:
        folder = e2e.make_folder(parent, sys.argv[1], MESSAGES)
        data = os.path.join(folder, "data")
        os.makedirs(data)
        if "--wine" in sys.argv:
            wine_checks(folder, dict(os.environ, XDG_DATA_HOME=data, WINEDLLOVERRIDES=(
                "mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d")))
        # A home and a trash of its own and no desktop: nothing of the machine's is touched.
        elif mount_checks(folder, dict({k: v for k, v in os.environ.items() if k not in (
                "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP")},
                HOME=folder, XDG_DATA_HOME=data, XDG_RUNTIME_DIR=folder, LANG="ja_JP.UTF-8",
                QRX_SESSION_END="off")) == 77:
            return 77
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
