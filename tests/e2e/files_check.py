#!/usr/bin/env python3
"""The file, desktop and media commands of qrxsh, typed as a user types them, on real files.

Under Wine (--wine) COPY, MOVE, RENAME and DEL go to the real SHFileOperationA (DEL with
flags 20 or 84, so that no confirmation is waited for), MD/CD/CHDRIVE to the process's
directory functions, KABE and SS to SystemParametersInfoA (read back from the registry),
PROPERTY to ShellExecuteExA and MCI/CDDA to winmm. The trash of DEL ... 84 is the one under
XDG_DATA_HOME, which the check points at a folder of its own: with a trash folder whose
parent is missing, Wine deletes for good.

Natively the same lines go to the POSIX file operations and the same files must result.
The run has a home, a trash and no desktop of its own (no display, no session bus, no
desktop name), so KABE, SS and PROPERTY answer their errors and nothing of the machine's
own desktop is touched; MCI and CDDA say that there is no MCI.

usage: files_check.py QRXSH [--wine]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

MESSAGES = "\r\n".join([
    "[SYSTEM]", "START=start", "END=end",
    "[ECHO]", "ADD=added",
    "[SHFO]", "0=done #A", "1=nothing", "183=exists", "1223=cancelled", "ERR=shfo #A",
    "NOOPT=no file",
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
SEP = "\\" if WINE else "/"


def shown_path(path):
    """A path as the program shows it."""
    return win_path(path) if WINE else path


def unescape(text):
    """Undoes the line runner's escapes (\\\\ \\t \\r \\n \\xHH)."""
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                  if m.group(1).startswith("x") else
                  {"t": "\t", "r": "\r", "n": "\n"}.get(m.group(1), m.group(1)), text)


def run(folder, exe, lines, env):
    """Runs the lines; returns [(time, text)] of the answers after the start answer."""
    program = os.path.join(folder, os.path.basename(exe))
    proc = subprocess.run(["wine", program] if WINE else [program],
                          input="".join(l + "\n" for l in lines).encode("utf-8"), env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder,
                          timeout=180)
    out = proc.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    answers = [l.split("\t", 2)[1:] for l in out.splitlines() if l.startswith("ANSWER\t")]
    answers = [(int(t), unescape(text)) for t, text in answers]
    check("qrxsh ended normally", proc.returncode == 0, proc.stderr.decode()[-500:])
    return answers[1:-1]  # without the start and end answers


def reg_value(env, name):
    out = subprocess.run(["wine", "reg", "query", "HKCU\\Control Panel\\Desktop", "/v", name],
                         env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         timeout=60).stdout.decode("utf-8", "replace")
    match = re.search(name + r"\s+REG_SZ\s+(.*)", out)
    return match.group(1).strip() if match else None


def native_media_checks(answers, picture):
    """MCI, CDDA, KABE and SS on Linux without a desktop."""
    check("without MCI, MCI and CDDA say so", answers[0:3:2] == [
        (5, "no mci FOO"), (5, "no cd OPEN")], repr(answers[0:3]))
    check("without a desktop KABE and SS answer their errors", answers[4:] == [
        (5, 'no wallpaper "' + picture + '"'), (5, "no ss"), (5, "no ss")], repr(answers[4:]))


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
        want = [done] * 8 + [(3, "exists"), done, done, (3, "nothing"), done, (3, "exists"),
                             done, (3, cwd + SEP + "new dir"), done, (3, "nothing"), chdrive]
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

        picture = cwd + SEP + "a b.txt"
        answers = run(folder, exe, [
            "MCI FOO", "MCI", "CDDA OPEN", "PROPERTY a.txt",
            'KABE "' + picture + '"', "SS OFF", "SS ON",
        ], env)
        check("MCI alone answers -1", answers[1:2] == [(5, "mci error -1 [コマンドを入力してね]")],
              repr(answers[1:2]))
        check("PROPERTY without a properties window answers its error",
              answers[3:4] == [(5, "no properties a.txt")], repr(answers[3:4]))
        if WINE:
            wine_media_checks(answers, env, picture)
        else:
            native_media_checks(answers, picture)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    passed = sum(checks)
    print(f"{passed} passed, {len(checks) - passed} failed")
    return 0 if all(checks) and checks else 1


if __name__ == "__main__":
    sys.exit(main())
