#!/usr/bin/env python3
"""LHA with the recording stand-in of UNLHA32.DLL, and the other file and launch commands of
the Win32 platform (ECHO, CONV, direct-mode launches), under Wine.

qrxsh.exe runs with the stand-in beside it: every LHA line must reach Unlha once, with the
whole argument text in code page 932, an output buffer of 1024 NUL bytes and its size, and
each result code must come back through the "LHA32" section. Without the library LHA answers
"LHA32_NONE".

usage: lha_library_check.py QRXSH_EXE DOUBLE_DLL
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

MESSAGES = "\r\n".join([
    "[SYSTEM]", "START=start", "END=end",
    "[MODE]", "DIRECT=direct",
    "[ELSE]", "ERR=unknown",
    "[SH]", "WAIT=starting", "FILE-ERR=missing #A",
    "[LHA32]", "0=archived", "32780=crc", "32796=bad command", "ERR=archive error #A",
    "NONE=no library",
    "[ECHO]", "ADD=added", "ERR=echo failed",
    "[CONV]", "CHG=converting", "DONE=converted", "ERR3=no input",
    "",
])


def win_path(path):
    return "Z:" + path.replace("/", "\\")


def run(folder, exe, lines, env):
    proc = subprocess.run(["wine", os.path.join(folder, os.path.basename(exe))],
                          input="".join(l + "\n" for l in lines).encode("utf-8"), env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder,
                          timeout=120)
    out = proc.stdout.decode("utf-8", "replace")
    answers = [l.split("\t", 2)[1:] for l in out.splitlines() if l.startswith("ANSWER\t")]
    return proc, out, [(int(t), text) for t, text in answers]


def main():
    exe, dll = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="qrx-lha-")
    checks = []
    details = []
    try:
        shutil.copy(exe, folder)
        shutil.copy(dll, os.path.join(folder, "UNLHA32.DLL"))
        with open(os.path.join(folder, "DEF.MSG"), "wb") as f:
            f.write(MESSAGES.encode("cp932"))
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\n")
        record = os.path.join(folder, "record.txt")
        env = dict(os.environ, QRX_LHA_RECORD=win_path(record), QRX_LHA_RESULTS="0,32780,7")

        # The library: three calls, three result codes.
        proc, out, answers = run(folder, exe, [
            'LHA x "my arc.lzh" 日本\\',
            "lha t a.lzh",
            "LHA l b.lzh",
        ], env)
        with open(record, "rb") as f:
            calls = f.read().decode("cp932").splitlines()
        checks += [
            ("Unlha got each command line, a clean 1024-byte buffer and its size", calls == [
                'no-window\t1024\tnul\tx "my arc.lzh" 日本\\',
                "no-window\t1024\tnul\tt a.lzh",
                "no-window\t1024\tnul\tl b.lzh",
            ]),
            ("0 is a normal answer, a failure with an entry an error", (3, "archived") in answers
             and (5, "crc") in answers),
            ("a code without an entry is an error naming it", (5, "archive error 7") in answers),
            ("the library's output text is not shown", "double:" not in out),
            ("qrxsh ended normally with the library", proc.returncode == 0),
        ]
        details.append(("with library", calls, out, proc.stderr))

        # No library on the search path.
        os.remove(os.path.join(folder, "UNLHA32.DLL"))
        os.remove(record)
        proc, out, answers = run(folder, exe, ["LHA x a.lzh"], env)
        checks += [
            ("without the library LHA answers NONE", (5, "no library") in answers),
            ("nothing was called", not os.path.exists(record)),
        ]
        details.append(("without library", [], out, proc.stderr))

        # ECHO and CONV on the Windows file API, and launches through the shell.
        log = os.path.join(folder, "log.txt")
        made = os.path.join(folder, "made")
        proc, out, answers = run(folder, exe, [
            "ECHO %s 日本 x" % win_path(log),
            "ECHO %s" % win_path(log),
            "CONV 255 %s %s" % (win_path(log), win_path(log + ".x")),
            "CONV 255 %s %s" % (win_path(os.path.join(folder, "none")), win_path(log + ".y")),
            "/D",
            "qrx-no-such-program.exe x",
            "cmd.exe /c mkdir %s" % win_path(made),
        ], env)
        for _ in range(100):
            if os.path.isdir(made):
                break
            time.sleep(0.1)
        with open(log, "rb") as f:
            logged = f.read()
        with open(log + ".x", "rb") as f:
            converted = f.read()
        checks += [
            ("ECHO appends CP932 lines with CR LF", logged == "日本 x\r\n\r\n".encode("cp932")),
            ("CONV writes the XOR of every byte", converted == bytes(b ^ 255 for b in logged)),
            ("CONV of a missing file answers ERR3 and writes nothing",
             (5, "no input") in answers and not os.path.exists(log + ".y")),
            ("a program that is not there is reported as missing in direct mode",
             any(t == 5 and a.startswith("missing") and "qrx-no-such-program" in a
                 for t, a in answers)),
            ("a program that is there is started in direct mode", os.path.isdir(made)),
            ("qrxsh ended normally with the file commands", proc.returncode == 0),
        ]
        details.append(("file commands", [], out, proc.stderr))
    finally:
        failed = [name for name, ok in checks if not ok]
        for name, ok in checks:
            print(("ok   " if ok else "FAIL ") + name)
        if failed:
            for title, calls, out, err in details:
                print("---", title, "\ncalls:", calls, "\nstdout:", out, "\nstderr:",
                      err.decode("utf-8", "replace")[-2000:])
        print(f"{len(checks) - len(failed)} passed, {len(failed)} failed")
        shutil.rmtree(folder, ignore_errors=True)
    return 1 if failed or not checks else 0


if __name__ == "__main__":
    sys.exit(main())
