#!/usr/bin/env python3
"""The line runner's skinned layout in real time: a message's own skin lasts until the
balloon hides itself after the message's time, and then the lasting skin comes back, with no
further input. The transcripts cannot show this, as their input arrives all at once.

Runs in a fresh folder with a copy of the executable, the delivered DEF.MSG, and a skin file
with skins A and B (pictures a.bmp and b.bmp); the configuration names A.

usage: qrxsh_balloon.py EXECUTABLE [--wine]
"""
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKS = 6


def main():
    exe = sys.argv[1]
    wine = "--wine" in sys.argv[2:]
    folder = tempfile.mkdtemp(prefix="qrxsh-balloon-")
    failures = []
    try:
        target = os.path.join(folder, os.path.basename(exe))
        shutil.copy(exe, target)
        shutil.copy(os.path.join(HERE, "..", "..", "data", "DEF.MSG"), folder)
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\nSKIN=A\r\n")
        with open(os.path.join(folder, "QRX_CORE.SKN"), "wb") as f:
            f.write(b"[A]\r\nFileName=a.bmp\r\n[B]\r\nFileName=b.bmp\r\n")
        for name in ("a.bmp", "b.bmp"):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"BM")
        proc = subprocess.Popen((["wine", target] if wine else [target]), cwd=folder,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        events = queue.Queue()

        def read():
            for raw in proc.stdout:
                events.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
            events.put(None)
        threading.Thread(target=read, daemon=True).start()

        def until(predicate, seconds):
            """Events up to the first that satisfies the predicate, or all that came in time."""
            seen = []
            deadline = time.time() + seconds
            while time.time() < deadline:
                try:
                    event = events.get(timeout=max(0.01, deadline - time.time()))
                except queue.Empty:
                    break
                if event is None:
                    break
                seen.append(event)
                if predicate(event):
                    break
            return seen

        def skins(lines):
            return ["A" if line.endswith("a.bmp") else "B"
                    for line in lines if line.startswith("SKIN\t")]

        start = until(lambda e: e.startswith("BALLOON\t3\t"), 60)
        if skins(start) != ["A"]:
            failures.append(f"start: {start!r}")
        proc.stdin.write("SKIN B\nANS hi||A 1\n".encode())
        proc.stdin.flush()
        shown = until(lambda e: e == "BALLOON\t1\thi", 10)
        if skins(shown) != ["B", "A"]:
            failures.append(f"SKIN B, then the answer's own skin A: {shown!r}")
        began = time.time()
        back = until(lambda e: e.startswith("SKIN\t"), 4)
        took = time.time() - began
        if skins(back) != ["B"] or len(back) != 1:
            failures.append(f"B again when the balloon hides, without input: {back!r}")
        elif not 0.0 <= took <= 2.5:
            failures.append(f"the balloon hid after {took:.2f} s, not within 1 s and a tick")
        proc.stdin.write("ANS stay||A -1\n".encode())
        proc.stdin.flush()
        kept = until(lambda e: e == "BALLOON\t-1\tstay", 10)
        if skins(kept) != ["A"]:
            failures.append(f"the answer's own skin A: {kept!r}")
        quiet = until(lambda e: True, 2.5)
        if quiet:
            failures.append(f"a balloon with time -1 stays, nothing happens: {quiet!r}")
        proc.stdin.close()
        end = until(lambda e: False, 30)
        if skins(end) != ["B"] or not any(e.startswith("BALLOON\t3\t") for e in end):
            failures.append(f"the exit brings B back and answers: {end!r}")
        proc.wait(timeout=30)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL " + failure)
    print(f"{CHECKS - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
