#!/usr/bin/env python3
"""quorix.exe's skinned window, its message balloon and the popup answer boxes under Wine,
driven from outside by quorix_driver.exe; and the picture loader by picture_check.exe.

The skinned scenario uses the delivered sample skins (data/QRX_CORE.SKN: NEKO 176 x 144 and
KUMO 240 x 112, the balloon pictures 222 x 84) and takes one screenshot of the window with its
balloon from the frame buffer that Xvfb keeps (wine_env.sh starts it with -fbdir). The
screenshot goes to OUTPUT_DIR/skinned_window.png.

Prints one line per failed check and a summary "N passed, N failed"; exit code 1 when a check
failed.

usage: wine_skins.py WINDOWS_BUILD_DIR SOURCE_DIR FRAME_BUFFER OUTPUT_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screen_picture  # noqa: E402
import wine_quorix as wq  # noqa: E402  (the window driver and its helpers)
from wine_quorix import check, drive, expect  # noqa: E402

SKINS = ["QRX_CORE.SKN", "NEKO.BMP", "KUMO.BMP", "BALLOON_R.BMP", "BALLOON_L.BMP"]
NEKO = (176, 144)
KUMO = (240, 112)
KEY = (255, 0, 255)
FRAME_BUFFER = ""
OUTPUT = ""


def rect(text):
    left, top, right, bottom = (int(v) for v in text.split())
    return left, top, right, bottom


def size_of(r):
    return r[2] - r[0], r[3] - r[1]


def start(folder, config, name, *first):
    """Starts quorix.exe in the folder with the configuration; waits for the window and its
    caption, then runs the steps `first` in the same driver, which is up before the program
    starts and so sees the start answer before its time runs out. Returns the Quorix and the
    output of `first`, or None when the window did not come or a step failed."""
    q = wq.Quorix(folder)
    q.prepare(config)
    for f in SKINS:
        shutil.copy(os.path.join(wq.SOURCE, "data", f), folder)
    driver = wq.Driver([["wait-window", wq.WINDOW_MS], ["no-box", "500"], ["pid"],
                        ["wait-caption", wq.CAPTION, "5000"], *first])
    time.sleep(0.5)
    q.start()
    ok, lines, err = driver.result(timeout=180)
    if not check(f"{name}: the window comes" + (" and the start answer" if first else ""), ok,
                 err):
        q.stop()
        return None, []
    q.wpid = int(lines[1])
    return q, lines[3:]


def window_rect(q):
    ok, out, err = drive([["window-rect"]], q.wpid)
    return rect(out[0]) if ok else None


def screenshot(q, name):
    """The window and its balloon from the frame buffer: saved as PNG, and checked for the
    transparent colour. Returns nothing; records checks."""
    if not check("screenshot: Xvfb keeps a frame buffer file", os.path.exists(FRAME_BUFFER),
                 FRAME_BUFFER):
        return
    ok, out, err = drive([["window-rect"], ["balloon"]], q.wpid)
    if not check("screenshot: window and visible balloon found",
                 ok and out[1].startswith("visible"), err or repr(out)):
        return
    main = rect(out[0])
    state, balloon_text, _ = out[1].split("\t")
    balloon = rect(balloon_text)
    time.sleep(0.5)  # the last paint reaches the frame buffer
    screen = screen_picture.read_xwd(FRAME_BUFFER)
    left = min(main[0], balloon[0]) - 20
    top = min(main[1], balloon[1]) - 20
    right = max(main[2], balloon[2]) + 20
    bottom = max(main[3], balloon[3]) + 20
    os.makedirs(OUTPUT, exist_ok=True)
    path = os.path.join(OUTPUT, "skinned_window.png")
    screen_picture.write_png(path, screen_picture.crop(screen, left, top, right, bottom))
    print(f"note: screenshot of the skinned window and its balloon: {path}")
    pixels = screen[2]

    def at(x, y):
        return pixels[y][x]

    inside = [at(x, y) for y in range(main[1], main[3]) for x in range(main[0], main[2])]
    check("screenshot: no pixel of the transparent colour shows in the window",
          KEY not in inside, f"{inside.count(KEY)} magenta pixels")
    # The picture's corner is transparent: what is below shows, not the picture's colour.
    check("screenshot: the cat's face is drawn (fur colour at its centre)",
          at(main[0] + 88, main[1] + 130) == (250, 200, 120), repr(at(main[0] + 88, main[1] + 130)))
    check("screenshot: the balloon is drawn (white inside, no magenta corner)",
          at(balloon[0] + 120, balloon[1] + 78) == (255, 255, 255)
          and at(balloon[0], balloon[1]) != KEY,
          f"{at(balloon[0] + 120, balloon[1] + 78)} {at(balloon[0], balloon[1])}")


def scenario_skinned(folder):
    config = "[SYSTEM]\r\nVersion=0.50\r\nSKIN=NEKO\r\nPX=200\r\nPY=300\r\n"
    start_text = wq.message("SYSTEM_START", A=wq.PRODUCT, B=wq.VERSION)
    q, _ = start(folder, config, "skinned", ["wait-balloon", start_text, "5000"])
    if q is None:
        return
    try:
        ok, out, err = drive([["window-rect"], ["style"], ["layered"], ["answer"]], q.wpid)
        if check("skinned: window facts", ok, err):
            r = rect(out[0])
            check("skinned: the window has the picture's size (NEKO 176 x 144)",
                  size_of(r) == NEKO, out[0])
            check("skinned: the window stands at PX, PY", r[:2] == (200, 300), out[0])
            style = int(out[1].split()[0], 16)
            check("skinned: frameless (a popup without caption or sizing frame)",
                  style & 0x80000000 and not style & 0x00C00000 and not style & 0x00040000,
                  out[1])
            check("skinned: the top-left colour is the colour key", out[2] == "FF00FF 1", out[2])
            check("skinned: answers never go to the answer line", out[3] == "", repr(out[3]))
        expect("skinned: an answer kept in the balloon",
               wq.enter(q, "ANS こんにちは -1", ["wait-balloon", "こんにちは", "5000"]))
        ok, out, err = drive([["balloon-style"]], q.wpid)
        if check("skinned: the balloon's style", ok, err):
            ex = int(out[0], 16)
            # WS_EX_TOPMOST, WS_EX_NOACTIVATE, WS_EX_LAYERED
            check("skinned: the balloon is always on top, never activated, layered",
                  ex & 0x8 and ex & 0x08000000 and ex & 0x80000, out[0])
        screenshot(q, "skinned")

        # The balloon's seconds are not in step with the answer: time 2 hides it after two
        # ticks, 1 to 2 seconds after it was shown.
        ok, out, err = drive([["type", "ANS hi 2"], ["stamp"], ["key", "ENTER"],
                              ["wait-balloon", "hi", "3000"], ["wait-balloon-hidden", "5000"],
                              ["stamp"]], q.wpid)
        if check("ANS hi 2: the balloon shows hi, then hides", ok, err):
            took = float(out[-1]) - float(out[0])
            print(f"note: the balloon of ANS hi 2 went {took:.2f} s after Enter")
            check(f"ANS hi 2: the balloon goes 1 to 2 s later (took {took:.2f} s)",
                  0.9 <= took <= 2.6)

        ok, out, err = drive([["type", "SKIN KUMO"], ["stamp"], ["key", "ENTER"],
                              ["wait-window-size", "240", "112", "5000"], ["stamp"]], q.wpid)
        if check("SKIN KUMO: the window gets KUMO's size (240 x 112)", ok, err):
            print(f"note: SKIN KUMO took {float(out[2]) - float(out[0]):.2f} s to the new size")
            check("SKIN KUMO: at the same place", rect(out[1])[:2] == (200, 300), out[1])

        # A picture that is there but is no picture: KUMO stays, and the balloon says why.
        with open(os.path.join(folder, "JUNK.BMP"), "wb") as f:
            f.write(b"BM this is not a picture" * 4)
        with open(os.path.join(folder, "QRX_CORE.SKN"), "ab") as f:
            f.write(b"\r\n[JUNK]\r\nFileName=JUNK.BMP\r\nIY=3\r\n")
        why = wq.message("SKIN_PICTURE-ERR", A=wq.windows_path(folder) + "\\JUNK.BMP")
        ok, out, err = wq.enter(q, "SKIN JUNK", ["wait-balloon", why, "3000"], ["window-rect"])
        check("SKIN JUNK: an error in the balloon, KUMO stays",
              ok and size_of(rect(out[1])) == KUMO, err or repr(out))

        ok, out, err = wq.enter(q, "ANS hi||NEKO 2", ["wait-balloon", "hi", "3000"],
                                ["wait-window-size", "176", "144", "2000"])
        check("ANS hi||NEKO: NEKO while the message lasts", ok, err)
        ok, out, err = drive([["wait-balloon-hidden", "5000"],
                              ["wait-window-size", "240", "112", "3000"]], q.wpid)
        check("ANS hi||NEKO: KUMO again once the balloon has gone", ok, err)

        # The balloon follows the window, and flips to the left near the right edge.
        ok, out, err = wq.enter(q, "ANS stay -1", ["wait-balloon", "stay", "3000"])
        if check("ANS stay -1 shows the balloon", ok, err):
            right_side = rect(out[0])
            check("the balloon stands to the right of the window", right_side[0] >= 200 + 100,
                  out[0])
            ok, out, err = drive([["move", "1000", "400"], ["sleep", "300"], ["balloon"]],
                                 q.wpid)
            if check("moving the window near the right edge", ok, err):
                state, where, text = out[0].split("\t")
                b = rect(where)
                check("the balloon follows to the left side of the window",
                      state == "visible" and b[2] <= 1000 + 20 and b[1] == 400 + 14 - 34
                      and text == "stay", out[0])
        expect("CLS hides the balloon",
               wq.enter(q, "CLS", ["wait-balloon-hidden", "3000"]))

        # A kept message with its own skin ends with a double click on the balloon.
        ok, out, err = wq.enter(q, "ANS kept||NEKO -1", ["wait-balloon", "kept", "3000"],
                                ["wait-window-size", "176", "144", "2000"])
        if check("ANS kept||NEKO -1: NEKO with the kept message", ok, err):
            ok, out, err = drive([["sleep", "2500"], ["balloon"], ["window-rect"]], q.wpid)
            check("the kept message and its skin stay",
                  ok and out[0].startswith("visible") and size_of(rect(out[1])) == NEKO,
                  err or repr(out))
            ok, out, err = drive([["double-click-balloon"], ["wait-balloon-hidden", "3000"],
                                  ["wait-window-size", "240", "112", "3000"]], q.wpid)
            check("a double click hides the balloon and brings KUMO back", ok, err)
        # The middle button on the picture pastes the clipboard into the command box.
        # Its answer first: the Enter that runs SET CLIP is still on its way until then.
        stored = wq.message("SET_CLIP", A="ANS 貼り付け 2")
        ok, out, err = wq.enter(q, "SET CLIP ANS 貼り付け 2", ["wait-balloon", stored, "5000"],
                                ["middle-click", "88", "40"],
                                ["wait-command-text", "ANS 貼り付け 2", "3000"], ["key", "ENTER"],
                                ["wait-balloon", "貼り付け", "3000"])
        check("skinned: the middle button pastes the clipboard into the command box", ok, err)
        ok, out, err = wq.enter(q, "VER", ["sleep", "1000"], ["balloon"],
                                ["text-fit", "balloon"])
        check("VER's lines lie inside the balloon's text box",
              ok and "Version" in out[0], err or repr(out))
        wq.close(q, "skinned")
    finally:
        q.stop()


def scenario_plain(folder):
    q, _ = start(folder, "[SYSTEM]\r\nVersion=0.50\r\n", "plain")
    if q is None:
        return
    try:
        expect("SKIN KUMO on the plain window answers SKIN_NOSKINMODE",
               wq.enter(q, "SKIN KUMO", ["wait-answer", wq.message("SKIN_NOSKINMODE"), "5000"]))
        r = window_rect(q)
        check("the plain window keeps its size", r is not None and size_of(r) != KUMO, repr(r))
        wq.close(q, "plain")
    finally:
        q.stop()


def scenario_popups(folder):
    start_text = wq.message("SYSTEM_START", A=wq.PRODUCT, B=wq.VERSION)
    q, out = start(folder, "[SYSTEM]\r\nVersion=0.50\r\nANS-WINDOW=KORADINE\r\n", "popups",
                   ["wait-popups", "1", "5000"])
    if q is None:
        return
    try:
        check("popups: the start answer opens a box", out == [start_text], repr(out))
        expect("popups: the start box closes after its 3 s",
               drive([["wait-popups", "0", "6000"]], q.wpid))
        ok, out, err = drive([["type", "ANS hi 2"], ["stamp"], ["key", "ENTER"],
                              ["wait-popups", "1", "3000"], ["wait-popups", "0", "5000"],
                              ["stamp"]], q.wpid)
        if check("ANS hi 2 opens a box with hi, which closes", ok and out[1] == "hi",
                 err or repr(out)):
            took = float(out[-1]) - float(out[0])
            print(f"note: the popup box of ANS hi 2 went {took:.2f} s after Enter")
            check(f"ANS hi 2: the box is gone 2 to 3 s later (took {took:.2f} s)",
                  2.0 <= took <= 3.0)
        ok, out, err = wq.enter(q, "ANS stay -1", ["wait-popups", "1", "3000"], ["sleep", "3000"],
                                ["wait-popups", "1", "100"])
        check("ANS stay -1: the box stays", ok and out[-1] == "stay", err or repr(out))
        ok, out, err = wq.enter(q, "ANS next 3", ["sleep", "500"], ["wait-popups", "1", "3000"])
        check("the next answer closes the kept box and opens its own",
              ok and out == ["next"], err or repr(out))
        ok, out, err = wq.enter(q, "CLS", ["wait-popups", "0", "5000"], ["type", "ANS kept -1"],
                                ["key", "ENTER"], ["wait-popups", "1", "3000"], ["type", "CLS"],
                                ["key", "ENTER"], ["wait-popups", "0", "1000"], ["sleep", "500"],
                                ["wait-popups", "0", "100"])
        check("CLS closes the kept box at once and opens none", ok, err)
        ok, out, err = drive([["answer"]], q.wpid)
        check("popups: answers do not go to the answer line", ok and out == [""], err or repr(out))
        wq.close(q, "popups")
    finally:
        q.stop()


def scenario_pictures(folder):
    tool = os.path.join(wq.BUILD, "picture_check.exe")
    if not check("picture_check.exe is built", os.path.exists(tool), tool):
        return
    log = open(os.path.join(folder, "wine.log"), "wb")
    out = tempfile.TemporaryFile()
    proc = subprocess.run(["wine", tool, wq.windows_path(folder)], stdin=subprocess.DEVNULL,
                          stdout=out, stderr=log, timeout=120)
    log.close()
    out.seek(0)
    lines = out.read().decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
    for line in lines:
        if line.startswith("FAIL") or line.startswith("ok"):
            check("picture loader: " + line[3:] if line.startswith("ok") else line[5:],
                  line.startswith("ok"))
    check("picture loader: the check ran to its end", proc.returncode in (0, 1) and lines
          and "passed" in lines[-1], repr(lines[-3:]))


def main():
    global FRAME_BUFFER, OUTPUT
    wq.BUILD, wq.SOURCE, FRAME_BUFFER, OUTPUT = sys.argv[1:5]
    return wq.run_scenarios((scenario_pictures, scenario_skinned, scenario_plain,
                             scenario_popups), "qrx-wine-skins-")


if __name__ == "__main__":
    sys.exit(main())
