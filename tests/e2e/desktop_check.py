#!/usr/bin/env python3
"""The native quorix window as a user drives it, on the display of test_quorix_desktop.sh,
checked through what the program leaves behind (configuration, history, ECHO files) and what
the X server knows (window names, geometry, focus, pixels).

usage: desktop_check.py NATIVE_BUILD_DIR SHOT_DIR
       desktop_check.py NATIVE_BUILD_DIR - --shared QUORIX_EXE   (under Wine's display)"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import check, free_port, message, read_ini, wait_for

CAPTION = "quorix Ver0.50 [--]"
BUILD, SHOTS = sys.argv[1], sys.argv[2]


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout


def windows(name, pid=None):
    return xdo("search", "--all", "--onlyvisible", *(["--pid", str(pid)] if pid else []),
               "--name", name).split()


def geometry(wid):
    return dict(line.split("=") for line in xdo("getwindowgeometry", "--shell", wid).split())


def active_name():
    return xdo("getactivewindow", "getwindowname").strip()


def pixel(png, x, y):
    return subprocess.run(["convert", png, "-format", f"%[pixel:p{{{x},{y}}}]", "info:"],
                          capture_output=True, text=True).stdout


class Quorix:
    """One running quorix with a configuration folder of its own."""

    def __init__(self, exe, folder, ini_lines=None, args=None, env=None, command=None):
        self.folder = folder
        self.ini = os.path.join(folder, "QRX_CORE.INI")
        if ini_lines is not None:
            with open(self.ini, "wb") as f:
                f.write(e2e.CONFIG + e2e.cp932_text(ini_lines))
        self.proc = subprocess.Popen(command or [exe] + (args if args is not None else [self.ini]),
                                     env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wid = None

    def await_window(self, timeout=10.0):
        # The tray icon's window has the name too: the main window is the larger one.
        found = wait_for(lambda: [w for w in windows("^" + CAPTION.replace("[", r"\[") + "$",
                                                     self.proc.pid)
                                  if int(geometry(w).get("WIDTH", 0)) > 32], timeout)
        self.wid = found[0] if found else None
        return self.wid

    def type(self, *lines):
        for line in lines:
            # Without a window manager (Wine's display) the focus is set directly.
            xdo("windowfocus" if os.environ.get("QRX_WM") == "none" else "windowactivate",
                "--sync", self.wid)
            xdo("type", "--delay", "15", line)
            xdo("key", "Return")
            time.sleep(0.15)

    def answer(self):
        """The answer shown now ($@), through an ECHO file."""
        out = os.path.join(self.folder, "answer.txt")
        if os.path.exists(out):
            os.remove(out)
        self.type(f"ECHO {out} $@")
        wait_for(lambda: os.path.exists(out), 5)
        return open(out, "rb").read().decode("cp932").rstrip("\r\n")

    def exit(self):
        if self.proc.poll() is None:
            self.type("EXIT")
        try:
            return self.proc.wait(5) is not None
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return False


def shot(name):
    os.makedirs(SHOTS, exist_ok=True)
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name)])
    return os.path.join(SHOTS, name)


def scenario_first_session(exe, home):
    """The README's first session, in the default configuration of a new user."""
    env = dict(os.environ, HOME=home)
    env.pop("XDG_CONFIG_HOME", None)
    q = Quorix(exe, os.path.join(home, ".config", "quorix"), args=[], env=env)
    box = wait_for(lambda: windows("^quorix$"))
    check("first session: the new-file box comes", box)
    xdo("key", "Return")
    check("first session: the window comes after the box", q.await_window() is not None)
    got = [q.type(line) or q.answer()
           for line in ["VER", "SET 1 world", "ALIAS hi ANS hello,$$1", "hi", "CALCRPN 2 6 7 *"]]
    check("first session: the README's answers", got == [
        "quorix Version 0.50  Torvane quorix", "変数 $1 に「world」を入れました",
        "エイリアス HI を登録しました", "hello,world", "計算結果 42 を 2 に入れました"], repr(got))
    check("first session: EXIT ends it", q.exit())
    ini = read_ini(q.ini)
    check("first session: the configuration holds variables, alias and history",
          ini.get(("SET", "1")) == "world" and ini.get(("SET", "2")) == "42"
          and ini.get(("BAT", "HI")) == "ANS hello,$1" and ini.get(("SYSTEM", "HIS2")),
          repr(ini))
    check("first session: the catalogue and the sample skins beside it",
          all(os.path.exists(os.path.join(q.folder, n))
              for n in ["QRX_CORE.MSG", "QRX_CORE.SKN", "NEKO.BMP"]))


def scenario_skins(exe, folder):
    """NEKO at start, then SKIN KUMO: size, the cut-away colour, the balloon beside it."""
    for name in ["QRX_CORE.SKN", "NEKO.BMP", "KUMO.BMP"]:
        shutil.copy(os.path.join(BUILD, name), folder)
    q = Quorix(exe, folder, ["SKIN=NEKO", "PX=200", "PY=300"])
    q.await_window()
    g = geometry(q.wid) if q.wid else {}
    check("skins: NEKO is 176x144", (g.get("WIDTH"), g.get("HEIGHT")) == ("176", "144"), repr(g))
    balloon = wait_for(lambda: [w for w in windows("^quorix$") if geometry(w).get("WIDTH") == "222"])
    check("skins: the balloon shows the greeting", balloon)
    check("skins: the balloon did not take the focus", active_name() == CAPTION, active_name())
    png = shot("neko.png")
    x, y = int(g.get("X", 0)), int(g.get("Y", 0))
    # The top-left corner is magenta in the picture: cut away, the black screen shows.
    check("skins: NEKO's corner is transparent, its face is not",
          "(0,0,0)" in pixel(png, x + 1, y + 1) and "(0,0,0)" not in pixel(png, x + 88, y + 72),
          pixel(png, x + 1, y + 1) + pixel(png, x + 88, y + 72))
    # Dragged by its picture, the window moves and the balloon (kept by the answer) follows.
    q.type("ANS follow -1")
    xdo("mousemove", str(x + 88), str(y + 60), "mousedown", "1")
    for _ in range(5):
        time.sleep(0.1)
        xdo("mousemove_relative", "20", "20")
    xdo("mouseup", "1")
    moved = wait_for(lambda: geometry(q.wid).get("X") == str(x + 100), 3)
    check("skins: dragging the picture moves the window", moved, repr(geometry(q.wid)))
    check("skins: the balloon follows", balloon and wait_for(
        lambda: int(geometry(balloon[0]).get("X", 0)) >= x + 100 + 164, 3), repr(geometry(balloon[0])))
    q.type("SKIN KUMO")
    time.sleep(0.3)
    g = geometry(q.wid)
    check("skins: SKIN KUMO makes it 240x112", (g.get("WIDTH"), g.get("HEIGHT")) == ("240", "112"), repr(g))
    shot("kumo.png")
    q.exit()


def scenario_popup_and_hot_key(exe, folder, folder2):
    """ANS in popup mode; the hot key raises the window; a held combination is reported."""
    q = Quorix(exe, folder, ["ANS-WINDOW=KORADINE"])
    q.await_window()
    q.type("ANS hi 2")
    box = wait_for(lambda: windows("^quorix$"), 3)
    check("popup: ANS hi 2 shows a box, which closes by itself",
          box and wait_for(lambda: not set(box) & set(windows("^quorix$")), 4))
    # The input box of $? gives what is typed into it.
    typed, fkey = os.path.join(folder, "typed.txt"), os.path.join(folder, "fkey.txt")
    q.type(f"ECHO {typed} $?")
    wait_for(lambda: active_name() not in ("", CAPTION), 3)
    xdo("type", "--delay", "15", "in the box")
    xdo("key", "Return")
    check("input box: $? gives the typed text", wait_for(lambda: os.path.exists(typed), 5)
          and open(typed, "rb").read() == b"in the box\r\n")
    # Ctrl+Alt+F-keys switch consoles under X: Shift+Ctrl (FPU 3) reaches quorix.
    q.type(f"SET F03 ECHO {fkey} F3", "SET FPU 3")
    other = subprocess.Popen(["xmessage", "-geometry", "600x400+0+0", "in front"],
                             stderr=subprocess.DEVNULL)
    wait_for(lambda: active_name() == "xmessage")
    xdo("key", "shift+ctrl+F3")
    check("function keys: Shift+Ctrl+F3 in another program runs F03",
          wait_for(lambda: os.path.exists(fkey), 3))
    xdo("key", "ctrl+alt+Home")
    check("hot key: Ctrl+Alt+Home brings quorix to the front",
          wait_for(lambda: active_name() == CAPTION, 3), active_name())
    other.kill()
    other.wait()
    second = Quorix(exe, folder2, ["ANS-WINDOW=KORADINE"])
    second.await_window()
    check("hot key: held by the first copy, the second says so",
          second.answer() == message("ACTIVEKEY_ERR", A="Ctrl+Alt+Home"))
    second.exit()
    # The clipboard watch: a QSCMD line another program copies runs.
    out = os.path.join(folder, "clip.txt")
    q.type("SET CLIPFLG ON")
    subprocess.run(["xclip", "-selection", "clipboard"], input=f"QSCMD:ECHO {out} clip".encode(),
                   check=False)
    check("clipboard: a QSCMD line runs", wait_for(lambda: os.path.exists(out), 5))
    q.exit()


def scenario_drop(exe, folder):
    """A file dragged from another program onto the window puts its path, quoted, in the box."""
    dropped, out = os.path.join(folder, "dir with space", "ファイル.txt"), os.path.join(folder, "drop.txt")
    os.makedirs(os.path.dirname(dropped))
    open(dropped, "w").close()
    q = Quorix(exe, folder, [])
    q.await_window()
    xdo("windowmove", "--sync", q.wid, "400", "300")
    source = subprocess.Popen([os.path.join(os.environ["QRX_TEST_BUILD_DIR"], "tests", "drag_source"),
                               dropped], stderr=subprocess.DEVNULL)
    wait_for(lambda: windows("^drag source$"))
    x, y = int(geometry(q.wid)["X"]), int(geometry(q.wid)["Y"])
    xdo("mousemove", "--sync", "60", "60", "mousedown", "1")
    for step in range(1, 10):  # a drag is a pressed button that moves
        xdo("mousemove", "--sync", str(60 + step * (x - 30) // 9), str(60 + step * (y - 48) // 9))
        time.sleep(0.05)
    xdo("mouseup", "1")
    time.sleep(0.3)
    xdo("windowactivate", "--sync", q.wid)
    xdo("key", "Home")
    q.type(f"ECHO {out} ")
    check("drop: the dragged file's path is put in the box, quoted", wait_for(lambda: os.path.exists(out), 5)
          and open(out, "rb").read().decode("cp932") == f'"{dropped}"\r\n')
    source.kill()
    q.exit()


def scenario_portal(exe, folder):
    """In a Wayland session the hot key is asked of the desktop's shortcuts portal (here a
    stand-in on a private session bus); without one, or refused, the answer says how to bind
    quorix --show."""
    for mode in ("bound", "--refuse", "no portal"):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip(),
                   XDG_SESSION_TYPE="wayland")
        log = os.path.join(folder, mode + ".log")
        portal = subprocess.Popen(["/usr/bin/python3", os.path.join(e2e.HERE, "fake_portal.py"), log,
                                   mode], env=env) if mode != "no portal" else bus
        time.sleep(0.5)  # the stand-in has taken its name on the bus
        q = Quorix(exe, folder, [], env=env)
        q.await_window()
        if mode == "bound":
            check("portal: the hot key is asked for as CTRL+ALT+Home",
                  wait_for(lambda: os.path.exists(log) and open(log).read() == "show|CTRL+ALT+Home\n", 5))
            other = subprocess.Popen(["xmessage", "-geometry", "600x400+0+0", "in front"])
            wait_for(lambda: active_name() == "xmessage")
            portal.send_signal(signal.SIGUSR1)
            check("portal: its activation brings quorix to the front",
                  wait_for(lambda: active_name() == CAPTION, 3), active_name())
            other.kill()
        else:
            wait_for(lambda: mode == "no portal" or os.path.exists(log), 5)
            time.sleep(0.3)
            check(f"portal: {mode}: the answer says the hot key is not available here",
                  q.answer() == message("ACTIVEKEY_NONE", A="Ctrl+Alt+Home"))
        q.exit()
        portal.kill()
        bus.kill()


def scenario_link(exe, folder, shell_folder):
    """LINK from qrxsh to the window and back, on the loopback interface."""
    pq, ps = free_port(), free_port()
    for f in (folder, shell_folder):
        open(os.path.join(f, "QRX_CORE.LKD"), "wb").write(b"127.0.0.1\r\n")
    q = Quorix(exe, folder, [])
    q.await_window()
    q.type(f"SET MYPORT {pq}", "SET LINKIP 127.0.0.1", f"SET LINKPORT {ps}")
    to_window, to_shell = os.path.join(folder, "in.txt"), os.path.join(shell_folder, "in.txt")
    shell = e2e.Qrxsh([os.path.join(BUILD, "qrxsh"), os.path.join(shell_folder, "QRX_CORE.INI")])
    shell.type(f"SET MYPORT {ps}", "SET LINKIP 127.0.0.1", f"SET LINKPORT {pq}",
               f"LINK ECHO {to_window} from-qrxsh")
    check("link: qrxsh's LINK runs in the window", wait_for(lambda: os.path.exists(to_window), 5))
    q.type(f"LINK ECHO {to_shell} from-window")
    check("link: the window's LINK runs in qrxsh", wait_for(lambda: os.path.exists(to_shell), 5))
    shell.close(5)
    q.exit()


def scenario_package(exe_dir, root, folder):
    """The Debian package, unpacked into an empty root, starts from there."""
    out = os.path.join(root, "pkg")
    r = subprocess.run(["cpack", "--config", os.path.join(exe_dir, "CPackConfig.cmake"), "-B", out],
                       capture_output=True, text=True)
    debs = [f for f in os.listdir(out) if f.endswith("_amd64.deb")] if os.path.isdir(out) else []
    if not check("package: cpack makes quorix_<version>_amd64.deb", debs == ["quorix_0.50_amd64.deb"],
                 r.stdout[-500:] + r.stderr[-500:]):
        return
    tree = os.path.join(root, "tree")
    subprocess.run(["dpkg", "-x", os.path.join(out, debs[0]), tree], check=True)
    q = Quorix(os.path.join(tree, "usr", "bin", "quorix"), folder, [])
    check("package: the unpacked quorix shows its window", q.await_window() is not None)
    check("package: its catalogue comes from the package's DEF.MSG",
          q.wid is not None and q.answer() == message("SYSTEM_START", A="quorix", B="0.50"))
    q.exit()


def scenario_shared(exe, wine_exe, folder):
    """quorix.exe stores, the native window reads and stores, quorix.exe reads."""
    os.environ["QRX_WM"] = "none"
    windows_ini = e2e.win_path(os.path.join(folder, "QRX_CORE.INI"))

    def session(program, lines, ini_lines=None):
        q = Quorix(program, folder, ini_lines,
                   command=["wine", program, windows_ini] if program == wine_exe else None)
        if q.await_window(timeout=60) is None:
            return check(f"shared: {os.path.basename(program)} shows its window", False)
        q.type(*lines)
        return q.exit()

    from_wine, from_linux = os.path.join(folder, "linux.txt"), os.path.join(folder, "wine.txt")
    session(wine_exe, ["SET 3 from-wine", "ALIAS wa ANS wine-alias"], [])
    session(exe, [f"ECHO {from_wine} $3", "wa", f"ECHO {from_wine} $@", "SET 4 from-linux"])
    session(wine_exe, [f"ECHO {e2e.win_path(from_linux)} $4"])
    read = lambda p: open(p, "rb").read().decode("cp932") if os.path.exists(p) else None  # noqa: E731
    check("shared: the native window reads quorix.exe's variable and alias",
          read(from_wine) == "from-wine\r\nwine-alias\r\n", repr(read(from_wine)))
    check("shared: quorix.exe reads the native window's variable",
          read(from_linux) == "from-linux\r\n", repr(read(from_linux)))


def main():
    exe = os.path.join(BUILD, "quorix")
    if "--shared" in sys.argv:
        with tempfile.TemporaryDirectory() as tmp:
            scenario_shared(exe, sys.argv[sys.argv.index("--shared") + 1], tmp)
        return e2e.summary()
    with tempfile.TemporaryDirectory() as tmp:
        d = [tempfile.mkdtemp(dir=tmp) for _ in range(10)]
        scenario_first_session(exe, d[0])
        scenario_skins(exe, d[1])
        scenario_popup_and_hot_key(exe, d[2], d[3])
        scenario_link(exe, d[4], d[5])
        scenario_package(BUILD, d[6], d[7])
        scenario_drop(exe, d[8])
        scenario_portal(exe, d[9])
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
