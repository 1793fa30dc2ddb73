#!/usr/bin/env python3
"""Answers handed to the outside answer library (ANS-WINDOW=DLL), under Wine: with the
recording stand-in of QS_DLL1.DLL beside qrxsh.exe every answer reaches the library (none the
window) in code page 932 with its display time, and the text the library rewrites becomes
the last answer ($@).

usage: answer_library_check.py QRXSH_EXE DOUBLE_DLL
"""
import os
import shutil
import sys
import tempfile

import qrx_e2e as e2e
from qrx_e2e import check


def main():
    exe, dll = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="qrx-dll-") as parent:
        folder = e2e.make_folder(parent, exe, config=e2e.CONFIG + b"ANS-WINDOW=DLL\r\n")
        shutil.copy(dll, os.path.join(folder, "QS_DLL1.DLL"))
        record = os.path.join(folder, "record.txt")
        env = dict(os.environ, QRX_ANSWER_RECORD=e2e.win_path(record), QRX_ANSWER_REWRITE="1")
        proc = e2e.run_lines(e2e.command(os.path.join(folder, os.path.basename(exe)), True),
                             ["ANS hello 7", "ANS [$@]", "cls"], folder, env, 120)
        calls = open(record, "rb").read().decode("cp932").splitlines() if os.path.exists(record) else []
        check("every answer reached the library", calls == [
            "no-window\t3\tquorix Ver0.50 起動しました", "no-window\t7\thello",
            "no-window\t3\t[HELLO]", "no-window\t-2\t", "no-window\t3\t終了します"], repr(calls))
        check("no answer reached the window, qrxsh ended normally",
              not e2e.answers(proc.stdout) and proc.returncode == 0,
              repr(proc.stdout[-500:]) + proc.stderr.decode("utf-8", "replace")[-1000:])
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
