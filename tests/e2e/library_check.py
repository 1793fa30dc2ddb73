#!/usr/bin/env python3
"""The outside libraries of qrxsh.exe under Wine, each through a recording stand-in beside it.

answers (QS_DLL1.DLL, ANS-WINDOW=DLL): every answer reaches the library (none the window) in
code page 932 with its display time; the text the library rewrites becomes the last answer.
lha (UNLHA32.DLL): every LHA line reaches Unlha once with the whole argument text in code
page 932, an output buffer of 1024 NUL bytes and its size; each result code comes back through
"LHA32"; without the library LHA answers "LHA32_NONE". A program that is there starts in
direct mode. (ECHO and CONV on the Windows file API: the text_files transcript under Wine; a
missing program: the sh transcript.)

usage: library_check.py QRXSH_EXE DOUBLES_DIR   (doubles/ of the windows build)
"""
import os
import shutil
import sys
import tempfile

import qrx_e2e as e2e
from qrx_e2e import check

LHA_MESSAGES = ["[SYSTEM]", "START=start", "END=end", "[MODE]", "DIRECT=direct",
                "[SH]", "WAIT=starting", "FILE-ERR=missing #A", "[LHA32]", "0=archived",
                "32780=crc", "ERR=archive error #A", "NONE=no library"]


def answers(folder, cmd, record):
    env = dict(os.environ, QRX_ANSWER_RECORD=e2e.win_path(record), QRX_ANSWER_REWRITE="1")
    proc = e2e.run_lines(cmd, ["ANS hello 7", "ANS [$@]", "cls"], folder, env, 120)
    calls = open(record, "rb").read().decode("cp932").splitlines() if os.path.exists(record) else []
    check("every answer reached the library", calls == [
        "no-window\t3\tquorix Ver0.50 起動しました", "no-window\t7\thello",
        "no-window\t3\t[HELLO]", "no-window\t-2\t", "no-window\t3\t終了します"], repr(calls))
    check("no answer reached the window, qrxsh ended normally",
          not e2e.answers(proc.stdout) and proc.returncode == 0,
          repr(proc.stdout[-500:]) + proc.stderr.decode("utf-8", "replace")[-1000:])


def lha(folder, cmd, record):
    made = os.path.join(folder, "made")
    env = dict(os.environ, QRX_LHA_RECORD=e2e.win_path(record), QRX_LHA_RESULTS="0,32780,7")

    def run(lines):
        proc = e2e.run_lines(cmd, lines, folder, env, 120)
        check(f"qrxsh ended normally after {lines[0]}", proc.returncode == 0,
              proc.stderr.decode("utf-8", "replace")[-2000:])
        return proc.stdout.decode("utf-8", "replace"), e2e.answers(proc.stdout)[1:-1]

    out, got = run(['LHA x "my arc.lzh" 日本\\', "lha t a.lzh", "LHA l b.lzh",
                    "/D", "cmd.exe /c mkdir " + e2e.win_path(made)])
    calls = open(record, "rb").read().decode("cp932").splitlines()
    check("Unlha got each command line, a clean 1024-byte buffer and its size", calls == [
        "no-window\t1024\tnul\t" + args for args in ('x "my arc.lzh" 日本\\', "t a.lzh", "l b.lzh")],
        repr(calls))
    check("0 is a normal answer, a failure with an entry or without one an error",
          got[:3] == [(3, "archived"), (5, "crc"), (5, "archive error 7")], repr(got))
    check("the library's output text is not shown", "double:" not in out, out)
    check("a program that is there starts in direct mode", e2e.wait_for(lambda: os.path.isdir(made)))
    os.remove(os.path.join(folder, "UNLHA32.DLL"))
    os.remove(record)
    out, got = run(["LHA x a.lzh"])
    check("without the library LHA answers NONE and calls nothing",
          got == [(5, "no library")] and not os.path.exists(record), repr(got))


def main():
    exe, doubles = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="qrx-library-") as parent:
        for step, dll, folder in (
                (answers, "answer_library/QS_DLL1.DLL",
                 e2e.make_folder(parent, exe, config=e2e.CONFIG + b"ANS-WINDOW=DLL\r\n")),
                (lha, "lha/UNLHA32.DLL", e2e.make_folder(parent, exe, LHA_MESSAGES))):
            shutil.copy(os.path.join(doubles, dll), folder)
            step(folder, e2e.command(os.path.join(folder, os.path.basename(exe)), True),
                 os.path.join(folder, "record.txt"))
    return e2e.summary()

if __name__ == "__main__":
    sys.exit(main())
