#!/usr/bin/env python3
"""Answers handed to the outside answer library (ANS-WINDOW=DLL), under Wine.

qrxsh.exe runs with the recording stand-in of QS_DLL1.DLL beside it. Every answer must reach
the library (and none the window), with its text in code page 932 and its display time, and
the text the library rewrites must become the last answer ($@).

usage: answer_library_check.py QRXSH_EXE DOUBLE_DLL
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    exe, dll = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="qrx-dll-")
    try:
        shutil.copy(exe, folder)
        shutil.copy(dll, os.path.join(folder, "QS_DLL1.DLL"))
        with open(os.path.join(HERE, "transcripts", "DEF.MSG.txt"), encoding="utf-8") as f:
            msg = f.read().replace("\n", "\r\n").encode("cp932")
        with open(os.path.join(folder, "DEF.MSG"), "wb") as f:
            f.write(msg)
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\nANS-WINDOW=DLL\r\n")
        record = os.path.join(folder, "record.txt")
        env = dict(os.environ, QRX_ANSWER_RECORD="Z:" + record.replace("/", "\\"),
                   QRX_ANSWER_REWRITE="1")
        proc = subprocess.run(["wine", os.path.join(folder, os.path.basename(exe))],
                              input="ANS hello 7\nANS [$@]\ncls\n".encode(), env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder,
                              timeout=120)
        out = proc.stdout.decode("utf-8", "replace")
        with open(record, "rb") as f:
            calls = f.read().decode("cp932").splitlines()
        want = [
            "no-window\t3\tquorix Ver0.50 起動しました",
            "no-window\t7\thello",
            "no-window\t3\t[HELLO]",
            "no-window\t-2\t",
            "no-window\t3\t終了します",
        ]
        checks = [
            ("every answer reached the library", calls == want),
            ("no answer reached the window", "ANSWER" not in out),
            ("qrxsh ended normally", proc.returncode == 0),
        ]
        failed = [name for name, ok in checks if not ok]
        for name, ok in checks:
            print(("ok   " if ok else "FAIL ") + name)
        if failed:
            print("calls:", calls, "\nstdout:", out, "\nstderr:", proc.stderr.decode()[-2000:])
        print(f"{len(checks) - len(failed)} passed, {len(failed)} failed")
        return 1 if failed else 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
