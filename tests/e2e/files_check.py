#!/usr/bin/env python3
"""The file, desktop and media commands of qrxsh, typed as a user types them, on real files.

Under Wine (--wine) COPY, MOVE, RENAME and DEL go to the real SHFileOperationA (DEL with
flags 20 or 84, so that no confirmation is waited for), MD/CD/CHDRIVE to the process's
directory functions, KABE and SS to SystemParametersInfoA (read back from the registry),
PROPERTY to ShellExecuteExA and MCI/CDDA to winmm. The trash of DEL ... 84 is the one under
XDG_DATA_HOME, which the check points at a folder of its own: with a trash folder whose
parent is missing, Wine deletes for good.

Natively the same file lines go to the POSIX file operations and the same files must result.
Hostile names (characters the ANSI code page lacks) must touch exactly the file named.
With --mounts (native) the deletes and copies run in a mount namespace of their own
(unshare -rm) with file systems mounted inside the folders they work on.
The run has a home, a trash and no desktop of its own (no display, no session bus, no
desktop name), so nothing of the machine's own desktop is touched.

usage: files_check.py QRXSH [--wine | --mounts]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

MESSAGES = "\r\n".join([
    "[SYSTEM]", "START=start", "END=end",
    "[ECHO]", "ADD=added", "ERR=no echo",
    "[SHFO]", "0=done #A", "1=nothing", "183=exists", "1223=cancelled", "ERR=shfo #A",
    "NOOPT=no file", "ASK-REPLACE=replace #A?", "[SEARCH]", "ERR=not found #A",
    "[PROPERTY]", "ERR=no properties #A",
    "[KABE]", "CHG=wallpaper #A", "ERR=no wallpaper #A",
    "[SS]", "ON=ss on", "OFF=ss off", "ERR=no ss",
    "[CDDA]", "OPEN=cd opened", "ERR=cdda?", "NONE=no cd #A",
    "[MCI]", "OK=mci ok [#A] #B", "ERR=mci error #B [#A]", "NONE=no mci #A",
    "",
])

checks = []


def check(name, ok, detail=""):
    checks.append(ok)
    if not ok:
        print(f"FAIL: {name}" + (f": {detail}" if detail else ""))


def win_path(path):
    return "Z:" + path.replace("/", "\\")


WINE = "--wine" in sys.argv[2:]
MOUNTS = "--mounts" in sys.argv[2:]
SEP = "\\" if WINE else "/"


def shown_path(path):
    """A path as the program shows it."""
    return win_path(path) if WINE else path


def unescape(text):
    """Undoes the line runner's escapes (\\\\ \\t \\r \\n \\xHH)."""
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                  if m.group(1).startswith("x") else
                  {"t": "\t", "r": "\r", "n": "\n"}.get(m.group(1), m.group(1)), text)


def run(folder, exe, lines, env, setup=None, after=""):
    """Runs the lines (between the shell commands `setup` and `after`, in a mount namespace of
    their own); returns [(time, text)] of the answers after the start answer."""
    program = os.path.join(folder, os.path.basename(exe))
    command = ["wine", program] if WINE else [program]
    if setup:
        command = ["unshare", "-rm", "bash", "-ec", setup + '"$0"\n' + after, program]
    proc = subprocess.run(command,
                          input="".join(l + "\n" for l in lines).encode("utf-8"), env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder,
                          timeout=180)
    check("qrxsh ended normally", proc.returncode == 0, proc.stderr.decode()[-500:])
    return parse_answers(proc.stdout)


def parse_answers(stdout):
    out = stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    answers = [l.split("\t", 2)[1:] for l in out.splitlines() if l.startswith("ANSWER\t")]
    return [(int(t), unescape(text)) for t, text in answers][1:-1]  # without start and end


def reg_value(env, name):
    out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", name],
                         env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=60).stdout.decode("utf-8", "replace")
    match = re.search(name + r"\s+REG_SZ\s+(.*)", out)
    return match.group(1).strip() if match else None


def wine_media_checks(answers, env, picture):
    """MCI, CDDA, KABE and SS through winmm and SystemParametersInfoA."""
    mci = answers[0] if answers else (0, "")
    match = re.fullmatch(r"mci error 292 \[(.+)\]", mci[1])
    check("MCI FOO answers MCI_ERR with Wine's description and its number",
          mci[0] == 5 and match is not None
          and re.search("[\u3040-\u30ff\u4e00-\u9fff]", match.group(1)) is not None, repr(mci))
    check("a failing CDDA OPEN shows the error description",
          len(answers) > 2 and answers[2][0] == 5 and answers[2][1] not in ("cd opened", ""),
          repr(answers[2:3]))
    check("KABE and SS answer", answers[4:] == [
        (3, 'wallpaper "' + picture + '"'), (3, "ss off"), (3, "ss on")], repr(answers[4:]))
    check("the wallpaper is stored without the quotes",
          reg_value(env, "Wallpaper") == picture, repr(reg_value(env, "Wallpaper")))
    check("the screen saver is stored as on", reg_value(env, "ScreenSaveActive") == "1",
          repr(reg_value(env, "ScreenSaveActive")))


def make_files(base, names):
    for name in names:
        path = os.path.join(base, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(name)


def listing(base):
    return sorted(os.path.relpath(os.path.join(d, n), base)
                  for d, dirs, files in os.walk(base) for n in dirs + files)


def hostile_name_checks(folder, exe, env):
    """Each line touches exactly the file it names: under Wine a character the code page lacks
    must not become a "?" wildcard."""
    h = os.path.join(folder, "h")
    make_files(h, ["cafe.txt", "cafx.txt", "café.txt", "caf日.txt", "naïve.txt", "naXve.txt",
                   "a.txt", "sub/a2.txt", "d/keep"])
    cafe = shown_path(h) + SEP + "café.txt"
    # (line, answer, files afterwards that were not there before, files gone)
    table = [
        ("SEARCH " + cafe, (5, "not found " + cafe) if WINE else (3, cafe), [], []),
        ("DEL café.txt 16", (3, "done 0"), [], ["café.txt"]),
        ("COPY naïve.txt d", (3, "done 0"), ["d/naïve.txt"], []),
        ("RENAME a.txt ü.txt", (3, "done 0"), ["ü.txt"], ["a.txt"]),
        ("RENAME sub" + SEP + "a2.txt fresh.txt", (3, "done 0"), ["sub/fresh.txt"], ["sub/a2.txt"]),
        ("COPY d d" + SEP + "sub", (5, "shfo 118"), [], []),
    ]
    before = listing(h)
    answers = run(folder, exe, ["CD h"] + [row[0] for row in table], env)
    for (line, answer, added, gone), got in zip(table, answers[1:] + [None] * len(table)):
        check(line, got == answer, repr(got))
    after = listing(h)
    check("hostile names: exactly the named files changed",
          after == sorted(set(before) - {g for row in table for g in row[3]}
                          | {a for row in table for a in row[2]}), repr(after))
    if WINE:
        wine_trash_warning(folder, exe, env, h)


def wine_trash_warning(folder, exe, env, h):
    """Where Wine's shell cannot use the trash (here: its data folder is a file) it deletes for
    good; the warning quorix asks for stops it, and Escape keeps the file."""
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
    out, _ = proc.communicate(timeout=60)
    check("the warning's Escape keeps the file and answers cancelled",
          parse_answers(out)[1:] == [(5, "cancelled")] and os.path.isfile(os.path.join(h, "k.txt")),
          repr(parse_answers(out)))


def mount_checks(folder, exe, env):
    """DEL, COPY and MOVE with file systems mounted inside the folders they work on."""
    try:
        probe = subprocess.run(["unshare", "-rm", "true"], stderr=subprocess.PIPE)
        why = probe.stderr.decode().strip() if probe.returncode != 0 else None
    except OSError as error:
        why = str(error)
    if why is not None:
        print("SKIP: no mount namespace of our own (unshare -rm): " + why)
        return 77
    setup = """mkdir -p m/t/inner m/b/inner m/bsrc m/src m/other m/ro
echo x > m/bsrc/f; echo r > m/ro/f
mount -t tmpfs none m/t/inner; echo x > m/t/inner/f; echo g > m/t/inner/g
mkdir m/t/inner/dir; echo x > m/t/inner/dir/x
mount --bind m/bsrc m/b/inner
mount --bind m/src m/other
mkdir -p m/src2/x m/dst2; mount --bind m/dst2 m/src2/x
mount --bind m/ro m/ro; mount -o remount,bind,ro m/ro"""
    after = "cd m; find . | sort > ../state.txt"
    # (line, answer): nothing changes, whatever is mounted where
    table = [
        ("DEL t 16", (5, "shfo 32")),        # another file system inside
        ("DEL b 16", (5, "shfo 32")),        # a bind mount of this one inside
        ("COPY src other/inside", (5, "shfo 118")),  # into itself through a bind mount
        ("COPY src2 dst2/src2", (5, "shfo 118")),  # the copy shown inside its source
        ("DEL ro/f 84", (5, "shfo 19")),     # to the trash from a read-only mount
        ("MOVE t/inner/dir moved", (3, "done 0")),  # across file systems: copied, then removed
        ("DEL t/inner/g 84", (3, "done 0")),  # the same into the trash
    ]
    answers = run(folder, exe, ["CD m"] + [row[0] for row in table], env, setup + "\n", after)
    for (line, answer), got in zip(table, answers[1:] + [None] * len(table)):
        check(line, got == answer, repr(got))
    with open(os.path.join(folder, "state.txt")) as f:
        state = f.read().split()
    check("nothing deleted or made but the moves", state == [
        ".", "./b", "./b/inner", "./b/inner/f", "./bsrc", "./bsrc/f", "./dst2", "./moved",
        "./moved/x", "./other", "./ro", "./ro/f", "./src", "./src2", "./src2/x", "./t", "./t/inner", "./t/inner/f"],
        repr(state)[:1000])
    trash = listing(os.path.join(folder, "data", "Trash"))
    check("only g in the trash", trash == ["files", "files/g", "info", "info/g.trashinfo"], repr(trash))
    return summary()


def main():
    exe = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="qrx-files-")
    try:
        shutil.copy(exe, folder)
        with open(os.path.join(folder, "DEF.MSG"), "wb") as f:
            f.write(MESSAGES.encode("cp932"))
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\n")
        data = os.path.join(folder, "data")
        os.makedirs(data)
        if WINE:
            env = dict(os.environ, XDG_DATA_HOME=data,
                       WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d")
        else:
            env = {k: v for k, v in os.environ.items()
                   if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                                "XDG_CURRENT_DESKTOP")}
            env.update(HOME=folder, XDG_DATA_HOME=data, XDG_RUNTIME_DIR=folder,
                       LANG="ja_JP.UTF-8", QRX_SESSION_END="off")
        if MOUNTS:
            return mount_checks(folder, exe, env)
        hostile_name_checks(folder, exe, env)
        w = os.path.join(folder, "w")
        os.makedirs(os.path.join(w, "tree", "inner"))
        for name, text in [("a b.txt", "ab"), ("w1.txt", "1"), ("w2.txt", "2"),
                           ("old.txt", "old"), ("gone.txt", "g"), ("tree/inner/t.txt", "t")]:
            with open(os.path.join(w, name), "w") as f:
                f.write(text)

        answers = run(folder, exe, [
            "CD w",
            'COPY "a b.txt" "c d.txt"',
            "MD wdir",
            "COPY w*.txt wdir",
            "COPY tree tree2",
            "MOVE w1.txt moved.txt",
            "MOVE tree2 wdir",
            "RENAME moved.txt renamed.txt",
            "RENAME renamed.txt w2.txt",
            "DEL gone.txt 20",
            "DEL old.txt 84",
            "MOVE a.txt",
            "MD \"new dir\"",
            "MD \"new dir\"",
            "CD \"new dir\"",
            "CD",
            "CD ..",
            "CD new dir",
            "CHDRIVE z:",
        ], env)
        cwd = shown_path(w)
        done = (3, "done 0")
        # Linux has no drives: CHDRIVE is code 50, which this catalogue has no entry for.
        chdrive = done if WINE else (5, "shfo 50")
        want = [done] * 8 + [(5, "exists"), done, done, (5, "nothing"), done, (5, "exists"),
                             done, (3, cwd + SEP + "new dir"), done, (5, "nothing"), chdrive]
        check("file commands answer through SHFO", answers == want,
              "\n  got  " + repr(answers) + "\n  want " + repr(want))

        def content(name):
            path = os.path.join(w, name)
            return open(path).read() if os.path.isfile(path) else None

        listing = sorted(os.listdir(w))
        check("the copy of a quoted name", content("c d.txt") == "ab" and content("a b.txt") == "ab")
        check("a wildcard copy makes the folder and takes every match",
              sorted(os.listdir(os.path.join(w, "wdir"))) == ["tree2", "w1.txt", "w2.txt"],
              repr(os.listdir(os.path.join(w, "wdir"))))
        check("folders are copied and moved with their contents",
              content("tree/inner/t.txt") == "t" and content("wdir/tree2/inner/t.txt") == "t")
        check("move, rename and delete", listing == [
            "a b.txt", "c d.txt", "new dir", "renamed.txt", "tree", "w2.txt", "wdir"],
            repr(listing))
        check("renaming onto an existing name changes nothing",
              content("renamed.txt") == "1" and content("w2.txt") == "2")
        trash = os.path.join(data, "Trash")
        info = os.path.join(trash, "info", "old.txt.trashinfo")
        check("DEL with 64 moves to the trash with its info",
              os.path.isfile(os.path.join(trash, "files", "old.txt")) and os.path.isfile(info))

        if WINE:  # natively the questions transcript and the desktop unit tests have these
            picture = cwd + SEP + "a b.txt"
            answers = run(folder, exe, [
                "MCI FOO", "MCI", "CDDA OPEN", "PROPERTY a.txt",
                'KABE "' + picture + '"', "SS OFF", "SS ON",
            ], env)
            check("MCI alone answers -1",
                  answers[1:2] == [(5, "mci error -1 [コマンドを入力してね]")], repr(answers[1:2]))
            check("PROPERTY without a properties window answers its error",
                  answers[3:4] == [(5, "no properties a.txt")], repr(answers[3:4]))
            wine_media_checks(answers, env, picture)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return summary()


def summary():
    passed = sum(checks)
    print(f"{passed} passed, {len(checks) - passed} failed")
    return 0 if all(checks) and checks else 1


if __name__ == "__main__":
    sys.exit(main())
