#!/usr/bin/env python3
"""The line runner's skinned layout in real time, which the transcripts cannot show (their
input arrives at once): a message's own skin lasts until the balloon hides itself after the
message's time, then the lasting skin comes back with no further input. Skins A and B
(a.bmp, b.bmp); the configuration names A.

usage: qrxsh_balloon.py EXECUTABLE [--wine]
"""
import os
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import check


def skins(seen):
    return ["A" if e[-1].endswith("a.bmp") else "B" for e in seen if e[0] == "SKIN"]


def main():
    exe, wine = sys.argv[1], "--wine" in sys.argv[2:]
    with tempfile.TemporaryDirectory(prefix="qrxsh-balloon-") as parent:
        folder = e2e.make_folder(parent, exe, e2e.REAL_CATALOGUE,
                                 e2e.CONFIG + b"SKIN=A\r\n")
        with open(os.path.join(folder, "QRX_CORE.SKN"), "wb") as f:
            f.write(b"[A]\r\nFileName=a.bmp\r\n[B]\r\nFileName=b.bmp\r\n")
        for name in ("a.bmp", "b.bmp"):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(b"BM")
        q = e2e.Qrxsh(e2e.command(os.path.join(folder, os.path.basename(exe)), wine), folder)
        start = q.until(lambda e: e[:2] == ["BALLOON", "3"], 60)
        check("start in A", skins(start) == ["A"], repr(start))
        q.type("SKIN B", "ANS hi||A 1")
        shown = q.until(lambda e: e == ["BALLOON", "1", "hi"])
        check("SKIN B, then the answer's own skin A", skins(shown) == ["B", "A"], repr(shown))
        began = time.time()
        back = q.until(lambda e: e[0] == "SKIN", 4)
        check("B again when the balloon hides, without input, within 1 s and a tick",
              skins(back) == ["B"] and len(back) == 1 and time.time() - began <= 2.5,
              f"{back!r} after {time.time() - began:.2f} s")
        q.type("ANS stay||A -1")
        kept = q.until(lambda e: e == ["BALLOON", "-1", "stay"])
        check("the answer's own skin A", skins(kept) == ["A"], repr(kept))
        quiet = q.until(lambda e: True, 2.5)
        check("a balloon with time -1 stays", not quiet, repr(quiet))
        q.proc.stdin.close()
        end = q.until(lambda e: False, 30)
        check("the exit brings B back and answers",
              skins(end) == ["B"] and any(e[:2] == ["BALLOON", "3"] for e in end), repr(end))
        q.close()
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
