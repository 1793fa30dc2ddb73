#!/usr/bin/env python3
"""Runs qrxsh on every transcript in transcripts/ and compares what it prints.

Each transcript NAME has NAME.in (the lines typed, UTF-8) and NAME.out (the events expected,
with <DIR> for the folder of the run). NAME.ini, when present, is the configuration file the
run starts with; the files in the folder NAME.files, when present, are copied into the run's
folder as they are; with NAME.real-catalogue present the run uses the delivered DEF.MSG instead
of the test catalogue; with NAME.native-only present the transcript is not run under Wine
(its lines answer questions that Windows asks in dialogs of its own). Every run gets a fresh
folder holding a copy of the executable and the test
catalogue DEF.MSG, so that the program folder, the configuration and the catalogue are all
the run's own. The same transcripts run natively and under Wine, and must print the same.

Three environment variables let one input serve both: QRX_SEP is the path separator ("/" or
"\\"), QRX_NEXT_MINUTE a minute of the clock (HH:MM) that begins at least 20 seconds after
the run starts, and QRX_SECONDS_TO_NEXT the whole seconds from the start until 2 seconds
after that minute has begun.

usage: qrxsh_transcripts.py EXECUTABLE [--wine]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TRANSCRIPTS = os.path.join(HERE, "transcripts")


def to_cp932(path_in, path_out):
    with open(path_in, encoding="utf-8") as f:
        text = f.read()
    with open(path_out, "wb") as f:
        f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932"))


def normalise(output, folder, wine):
    if wine:
        win = "Z:" + folder.replace("/", "\\")
        output = output.replace(win.replace("\\", "\\\\") + "\\\\", "<DIR>/")
        output = output.replace(win.replace("\\", "\\\\"), "<DIR>")
    output = output.replace(folder + "/", "<DIR>/").replace(folder, "<DIR>")
    return output


def environment(wine):
    env = dict(os.environ, QRX_SEP="\\" if wine else "/")
    now = time.time()
    start = now - now % 60 + 60  # the next minute, or the one after when it is too close
    if start - now < 20:
        start += 60
    env["QRX_NEXT_MINUTE"] = time.strftime("%H:%M", time.localtime(start))
    env["QRX_SECONDS_TO_NEXT"] = str(int(start - now) + 2)
    return env


def run(exe, wine, name):
    folder = tempfile.mkdtemp(prefix="qrxsh-")
    try:
        target = os.path.join(folder, os.path.basename(exe))
        shutil.copy(exe, target)
        if os.path.exists(os.path.join(TRANSCRIPTS, name + ".real-catalogue")):
            shutil.copy(os.path.join(HERE, "..", "..", "data", "DEF.MSG"), folder)
        else:
            to_cp932(os.path.join(TRANSCRIPTS, "DEF.MSG.txt"), os.path.join(folder, "DEF.MSG"))
        files = os.path.join(TRANSCRIPTS, name + ".files")
        if os.path.isdir(files):
            for entry in sorted(os.listdir(files)):
                shutil.copy(os.path.join(files, entry), folder)
        ini = os.path.join(TRANSCRIPTS, name + ".ini")
        if os.path.exists(ini):
            to_cp932(ini, os.path.join(folder, "QRX_CORE.INI"))
        with open(os.path.join(TRANSCRIPTS, name + ".in"), "rb") as f:
            stdin = f.read()
        cmd = (["wine", target] if wine else [target])
        proc = subprocess.run(cmd, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              cwd=folder, timeout=240, env=environment(wine))
        got = normalise(proc.stdout.decode("utf-8", "replace"), folder, wine)
        with open(os.path.join(TRANSCRIPTS, name + ".out"), encoding="utf-8") as f:
            want = f.read()
        if proc.returncode != 0 or got != want:
            print(f"FAIL {name} (exit {proc.returncode})")
            print("--- expected\n" + want + "--- got\n" + got)
            if proc.stderr:
                print("--- stderr\n" + proc.stderr.decode("utf-8", "replace")[-2000:])
            return False
        print(f"ok   {name}")
        return True
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    exe = sys.argv[1]
    wine = "--wine" in sys.argv[2:]
    names = sorted(n[:-3] for n in os.listdir(TRANSCRIPTS) if n.endswith(".in")
                   and not (wine and os.path.exists(os.path.join(TRANSCRIPTS, n[:-3] + ".native-only"))))
    results = [run(exe, wine, n) for n in names]
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    return 0 if passed == len(results) and results else 1


if __name__ == "__main__":
    sys.exit(main())
