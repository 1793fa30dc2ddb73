#!/usr/bin/env python3
"""quorix.exe's skinned window, its message balloon and the popup answer boxes under Wine,
driven from outside by quorix_driver.exe (the picture loader: test_wine_platform.sh). What
the skin and popup logic decides is unit-tested on the fake platform; here the real windows
show it: sizes, layered styles, colour key, pixels, messages, timers.

The skinned scenario uses the delivered sample skins (NEKO 176 x 144, KUMO 240 x 112) and takes
a screenshot of the window and its balloon, saved to OUTPUT_DIR/skinned_window.png.

usage: wine_skins.py WINDOWS_BUILD_DIR OUTPUT_DIR
"""
import os
import re
import subprocess
import sys
import time

import wine_quorix as wq
from wine_quorix import check

SKINS = ["QRX_CORE.SKN", "NEKO.BMP", "KUMO.BMP", "BALLOON_R.BMP", "BALLOON_L.BMP"]
NEKO, KUMO = (176, 144), (240, 112)
KEY = (255, 0, 255)
OUTPUT = ""


def rect(text):
    return tuple(int(v) for v in text.split())


def size_of(r):
    return r[2] - r[0], r[3] - r[1]


def screenshot(q):
    """The window and its balloon on the screen (ImageMagick): saved as PNG and checked for
    the transparent colour and a few pixels of the pictures."""
    out = q.steps("screenshot: window and visible balloon", ["window-rect"], ["balloon"],
                  want=lambda out: out[1].startswith("visible"))
    if out is None:
        return
    main, balloon = rect(out[0]), rect(out[1].split("\t")[1])
    left, top = min(main[0], balloon[0]) - 20, min(main[1], balloon[1]) - 20
    width, height = max(main[2], balloon[2]) + 20 - left, max(main[3], balloon[3]) + 20 - top
    time.sleep(0.5)  # the last paint reaches the screen
    os.makedirs(OUTPUT, exist_ok=True)
    path = os.path.join(OUTPUT, "skinned_window.png")
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{left}+{top}",
                    "+repage", path], check=True, timeout=60)
    print(f"note: screenshot of the skinned window and its balloon: {path}")
    text = subprocess.run(["convert", path, "-depth", "8", "txt:-"], capture_output=True,
                          text=True, timeout=60).stdout
    pixels = {(int(x) + left, int(y) + top): tuple(map(int, rgb)) for x, y, *rgb in
              re.findall(r"^(\d+),(\d+): \((\d+),(\d+),(\d+)", text, re.M)}
    inside = [pixels.get((x, y)) for y in range(main[1], main[3]) for x in range(main[0], main[2])]
    check("screenshot: no pixel of the transparent colour shows in the window",
          KEY not in inside and None not in inside, f"{inside.count(KEY)} magenta pixels")
    fur = pixels.get((main[0] + 88, main[1] + 130))
    check("screenshot: the cat's face is drawn (fur colour at its centre)",
          fur == (250, 200, 120), repr(fur))
    white, corner = pixels.get((balloon[0] + 120, balloon[1] + 78)), pixels.get(balloon[:2])
    check("screenshot: the balloon is drawn (white inside, no magenta corner)",
          white == (255, 255, 255) and corner not in (KEY, None), f"{white} {corner}")


def scenario_skinned(folder):
    start = wq.message("SYSTEM_START", A=wq.PRODUCT, B=wq.VERSION)
    q = wq.Quorix(folder, wq.CONFIG + "SKIN=NEKO\r\nPX=200\r\nPY=300\r\n", SKINS)
    try:
        if q.start("skinned", ["wait-balloon", start, "5000"]) is None:
            return
        out = q.steps("skinned: window facts", ["window-rect"], ["style"], ["answer"])
        if out:
            r, style = rect(out[0]), out[1].split()
            check("skinned: NEKO's size (176 x 144) at PX, PY", size_of(r) == NEKO
                  and r[:2] == (200, 300), out[0])
            s = int(style[0], 16)
            check("skinned: frameless (a popup without caption or sizing frame)",
                  s & 0x80000000 and not s & 0x00C00000 and not s & 0x00040000, out[1])
            check("skinned: layered with the top-left colour as its key",
                  style[2:] == ["FF00FF", "1"], out[1])
            check("skinned: answers never go to the answer line", out[2] == "", repr(out[2]))
        out = q.enter("skinned: an answer kept in the balloon", "ANS こんにちは -1",
                      ["wait-balloon", "こんにちは", "5000"], ["balloon"])
        if out:
            ex = int(out[1].split("\t")[3], 16)
            check("skinned: the balloon is always on top, never activated, layered",
                  ex & 0x8 and ex & 0x08000000 and ex & 0x80000, out[1])
            screenshot(q)

        q.enter("SKIN KUMO: KUMO's size (240 x 112) at the same place", "SKIN KUMO",
                ["wait-window-size", "240", "112", "5000"],
                want=lambda out: rect(out[0])[:2] == (200, 300))
        q.enter("ANS hi||NEKO 2: NEKO while the message lasts, KUMO once the balloon has gone",
                "ANS hi||NEKO 2", ["wait-balloon", "hi", "3000"],
                ["wait-window-size", "176", "144", "2000"], ["wait-balloon-hidden", "5000"],
                ["wait-window-size", "240", "112", "3000"])
        # The balloon follows the window, and flips to the left near the right edge.
        q.enter("the balloon stands to the right of the window", "ANS stay -1",
                ["wait-balloon", "stay", "3000"], ["balloon"],
                want=lambda out: rect(out[1].split("\t")[1])[0] >= 300)
        out = q.steps("moving the window near the right edge", ["move", "1000", "400"],
                      ["sleep", "300"], ["balloon"])
        if out:
            state, where, text, _ = out[0].split("\t")
            b = rect(where)
            check("the balloon follows to the left side of the window", state == "visible"
                  and b[2] <= 1000 + 20 and b[1] == 400 + 14 - 34 and text == "stay", out[0])
        q.enter("a double click ends a kept message with its own skin", "ANS kept||NEKO -1",
                ["wait-balloon", "kept", "3000"], ["wait-window-size", "176", "144", "2000"],
                ["double-click-balloon"], ["wait-balloon-hidden", "3000"],
                ["wait-window-size", "240", "112", "3000"])
        # Its answer first: the Enter that runs SET CLIP is still on its way until then.
        q.enter("the middle button pastes the clipboard into the command box",
                "SET CLIP ANS 貼り付け 2",
                ["wait-balloon", wq.message("SET_CLIP", A="ANS 貼り付け 2"), "5000"],
                ["middle-click", "88", "40"], ["wait-command-text", "ANS 貼り付け 2", "3000"],
                ["key", "ENTER"], ["wait-balloon", "貼り付け", "3000"])
        q.enter("VER's lines lie inside the balloon's text box", "VER", ["sleep", "1000"],
                ["balloon"], ["text-fit", "balloon"], want=lambda out: "Version" in out[0])
        q.close("skinned")
    finally:
        q.stop()


def scenario_popups(folder):
    start = wq.message("SYSTEM_START", A=wq.PRODUCT, B=wq.VERSION)
    q = wq.Quorix(folder, wq.CONFIG + "ANS-WINDOW=KORADINE\r\n")
    try:
        out = q.start("popups", ["wait-popups", "1", "5000"], ["wait-popups", "0", "6000"])
        if not check("popups: the start answer opens a box, which closes after its 3 s",
                     out == [start], repr(out)):
            return
        q.enter("a kept box closes at once when the next answer opens its own", "ANS stay -1",
                ["wait-popups", "1", "3000"], ["type", "ANS next 3"], ["key", "ENTER"],
                ["sleep", "500"], ["wait-popups", "1", "3000"],
                want=lambda out: out == ["stay", "next"])
        q.steps("CLS closes the kept box at once and opens none", ["wait-popups", "0", "5000"],
                ["type", "ANS kept -1"], ["key", "ENTER"], ["wait-popups", "1", "3000"],
                ["type", "CLS"], ["key", "ENTER"], ["wait-popups", "0", "1000"],
                ["sleep", "500"], ["wait-popups", "0", "100"], ["answer"],
                want=lambda out: out == ["kept", ""])
        q.close("popups")
    finally:
        q.stop()


if __name__ == "__main__":
    wq.BUILD, OUTPUT = sys.argv[1:3]
    sys.exit(wq.run_scenarios((scenario_skinned, scenario_popups), "qrx-wine-skins-"))
