#!/usr/bin/env python3
"""quorix.exe under Wine, driven from outside by quorix_driver.exe as a user would: the first
start with its notice box, the caption and the start answer, lines typed and confirmed with
Enter, history recall, EXIT and closing the window (both save the history), WAIT (the window
stays responsive and the process idles), MBOX, and a start while hotkey_holder.exe holds the
hot key Ctrl+Alt+Home.

Every scenario gets a fresh folder holding a copy of quorix.exe and DEF.MSG; the
configuration file lies in the same folder and is named on the command line. The Wine
prefix and display come from the caller (wine_env.sh). Prints one line per failed check and
a summary "N passed, N failed"; the exit code is 1 when a check failed.

usage: wine_quorix.py WINDOWS_BUILD_DIR SOURCE_DIR
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PRODUCT = "quorix"
VERSION = "0.50"
CAPTION = f"{PRODUCT} Ver{VERSION} [--]"
CAPTION_DIRECT = f"{PRODUCT} Ver{VERSION} [D-]"
WINDOW_MS = "60000"  # the first Wine program of a prefix can take long to come up

BUILD = ""
SOURCE = ""
passed = 0
failed = 0


def check(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAIL: {name}" + (f": {detail}" if detail else ""))
    return ok


def unescape(text):
    """Undoes the driver's C-style escapes (\\\\ \\t \\r \\n \\xHH)."""
    named = {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}

    def one(m):
        return chr(int(m[1][1:], 16)) if len(m[1]) == 3 else named.get(m[1], m[1])
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)", one, text)


def read_ini(path):
    """{(SECTION, KEY): value} of an INI file in code page 932; {} when it does not exist.
    Values read as the program reads them: outer blanks and one pair of quotes removed."""
    values = {}
    if not os.path.exists(path):
        return values
    with open(path, "rb") as f:
        text = f.read().decode("cp932", "replace")
    section = ""
    for line in text.replace("\r\n", "\n").split("\n"):
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].strip().upper()
        elif "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            value = value.strip()
            if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
                value = value[1:-1]
            values.setdefault((section, key.strip().upper()), value)
    return values


def message(key, catalogue=None, **params):
    """A catalogue message (of data/DEF.MSG unless another file is given) with answer
    parameters (#A ...) filled in."""
    section, name = key.split("_", 1)
    text = read_ini(catalogue or os.path.join(SOURCE, "data", "DEF.MSG")).get((section, name), key)
    for letter, value in params.items():
        text = text.replace("#" + letter, value)
    return text


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def linux_children(pid):
    children = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            if int(fields[1]) == pid:
                children.append(int(entry))
        except (OSError, IndexError, ValueError):
            pass
    return children


def cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode("utf-8", "replace")
    except OSError:
        return ""


def cpu_seconds(pid):
    """User + system CPU time of a Linux process (all its threads), in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def driver_args(steps, pid=None):
    args = ["wine", os.path.join(BUILD, "quorix_driver.exe")]
    if pid:
        args += ["--pid", str(pid)]
    for i, step in enumerate(steps):
        if i:
            args.append("--")
        args += list(step)
    return args


class Driver:
    """One quorix_driver.exe run. Its output goes to files, not pipes: the first Wine program
    of a prefix starts the Wine server and services, which inherit its handles and would
    keep a pipe open long after the driver has ended."""

    def __init__(self, steps, pid=None):
        self.out = tempfile.TemporaryFile()
        self.err = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(driver_args(steps, pid), stdin=subprocess.DEVNULL,
                                     stdout=self.out, stderr=self.err)

    def result(self, timeout=120):
        """(ok, output lines, error text) once the driver has ended."""
        try:
            self.proc.wait(timeout=timeout)
            hung = False
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            hung = True
        self.out.seek(0)
        self.err.seek(0)
        out = self.out.read().decode("utf-8", "replace").replace("\r\n", "\n").split("\n")[:-1]
        err = self.err.read().decode("utf-8", "replace").strip()
        self.out.close()
        self.err.close()
        if hung:
            return False, [], f"driver hung for {timeout} s; {err}"
        return self.proc.returncode == 0, [unescape(line) for line in out], err


def drive(steps, pid=None, timeout=120):
    """Runs one driver with the steps in order. Returns (ok, output lines, error text)."""
    return Driver(steps, pid).result(timeout)


class Quorix:
    """One quorix.exe under Wine, in a folder of its own."""

    def __init__(self, folder):
        self.folder = folder
        self.config = os.path.join(folder, "QRX_CORE.INI")
        self.proc = None
        self.wpid = None  # Windows process id, once the window is there
        self.log = None

    def prepare(self, config_text=None):
        shutil.copy(os.path.join(BUILD, "quorix.exe"), self.folder)
        shutil.copy(os.path.join(SOURCE, "data", "DEF.MSG"), self.folder)
        if config_text is not None:
            with open(self.config, "wb") as f:
                f.write(config_text.encode("cp932"))

    def start(self):
        self.log = open(os.path.join(self.folder, "wine.log"), "ab")
        self.proc = subprocess.Popen(
            ["wine", os.path.join(self.folder, "quorix.exe"), windows_path(self.config)],
            cwd=self.folder, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)

    def linux_pid(self):
        """The Linux process that is quorix.exe: the one started, or one of its descendants."""
        todo = [self.proc.pid]
        while todo:
            pid = todo.pop(0)
            if "quorix.exe" in cmdline(pid):
                return pid
            todo += linux_children(pid)
        return None

    def ended(self, timeout):
        """True when the process started ends within timeout seconds."""
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        """Ends what this run started and is still running."""
        if self.proc is None:
            return
        if self.proc.poll() is None:
            pids = [self.proc.pid]
            todo = [self.proc.pid]
            while todo:
                children = linux_children(todo.pop())
                pids += children
                todo += children
            for pid in reversed(pids):
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
            self.proc.wait(timeout=10)
        self.log.close()


def await_window(q, name, box_expected=False):
    """Waits for the window (after answering the first-start box when expected) and checks
    the caption and the start answer; returns False when the window did not come."""
    steps = []
    if box_expected:
        steps.append(["dismiss-box", WINDOW_MS])
    steps += [["wait-window", WINDOW_MS]]
    if not box_expected:
        steps.append(["no-box", "500"])
    steps += [["pid"], ["wait-caption", CAPTION, "5000"],
              ["wait-answer", message("SYSTEM_START", A=PRODUCT, B=VERSION), "5000"]]
    # The driver is up before the program starts, so it sees the start answer before the
    # wipe begins three seconds later.
    driver = Driver(steps)
    time.sleep(0.5)
    q.start()
    ok, lines, err = driver.result(timeout=180)
    if not check(f"{name}: window, caption and start answer", ok, err):
        return None
    if box_expected:
        want = windows_path(q.config) + "\rを新規作成しました"
        check(f"{name}: first-start box text", lines[0] == want, f"{lines[0]!r} != {want!r}")
        lines = lines[1:]
    q.wpid = int(lines[1])
    return lines


def enter(q, text, *then):
    """Types a line, presses Enter and runs the further steps in the same driver."""
    return drive([["type", text], ["key", "ENTER"]] + list(then), q.wpid)


def expect(name, result):
    ok, _, err = result
    return check(name, ok, err)


def close(q, name):
    """Closes the window as the user does; the process must end."""
    expect(f"{name}: close", drive([["close"], ["wait-gone", "15000"]], q.wpid))
    check(f"{name}: process ends after close", q.ended(15))


def scenario_first_start(folder):
    q = Quorix(folder)
    q.prepare()
    try:
        if await_window(q, "first start", box_expected=True) is None:
            return
        ini = read_ini(q.config)
        check("first start: configuration created with Version=0.50",
              ini.get(("SYSTEM", "VERSION")) == VERSION, repr(ini))
        close(q, "first start")
    finally:
        q.stop()


def scenario_lines_and_exit(folder):
    """Lines with Enter, recall, EXIT; then a second run of the same configuration that is
    closed with the window's close."""
    q = Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    try:
        if await_window(q, "lines") is None:
            return
        expect("ANS hello answers hello and empties the command box",
               enter(q, "ANS hello", ["wait-answer", "hello", "5000"],
                     ["wait-command-text", "", "2000"]))
        expect("/D shows direct mode in the caption and answers MODE_DIRECT",
               enter(q, "/D", ["wait-caption", CAPTION_DIRECT, "5000"],
                     ["wait-answer", message("MODE_DIRECT"), "5000"]))
        expect("Tab completes in the box (the box and the window leave it alone), Esc puts "
               "back what was typed",
               drive([["type", "SET cl"], ["key", "TAB"], ["wait-command-text", "SET CLIP", "3000"],
                      ["key", "TAB"], ["wait-command-text", "SET CLIP ", "3000"],
                      ["key", "TAB"], ["wait-command-text", "SET CLIPFLG ", "3000"],
                      ["key", "ESC"], ["wait-command-text", "SET cl", "3000"],
                      ["key", "UP"], ["key", "DOWN"], ["wait-command-text", "", "3000"]], q.wpid))
        expect("Up recalls the newest line, Up again the one before, Down goes back to empty",
               drive([["key", "UP"], ["wait-command-text", "/D", "3000"],
                      ["key", "UP"], ["wait-command-text", "ANS hello", "3000"],
                      ["key", "DOWN"], ["wait-command-text", "/D", "3000"],
                      ["key", "DOWN"], ["wait-command-text", "", "3000"]], q.wpid))
        expect("EXIT closes the window", enter(q, "EXIT", ["wait-gone", "15000"]))
        check("EXIT ends the process", q.ended(15))
        ini = read_ini(q.config)
        check("EXIT saves the history (HIS2 the line before EXIT, HIS3 the one before)",
              ini.get(("SYSTEM", "HIS2")) == "/D" and ini.get(("SYSTEM", "HIS3")) == "ANS hello"
              and ("SYSTEM", "HIS4") not in ini, repr(ini))
    finally:
        q.stop()

    q = Quorix(folder)
    try:
        if await_window(q, "second run") is None:
            return
        # Entry 1 is not stored: the first Up recalls it empty, the second the saved HIS2.
        expect("second run: the second Up recalls the stored history",
               drive([["key", "UP"], ["wait-command-text", "", "3000"],
                      ["key", "UP"], ["wait-command-text", "/D", "3000"],
                      ["key", "DOWN"], ["key", "DOWN"], ["wait-command-text", "", "3000"]],
                     q.wpid))
        expect("second run: two lines answer",
               enter(q, "ANS one", ["wait-answer", "one", "5000"], ["type", "ANS two"],
                     ["key", "ENTER"], ["wait-answer", "two", "5000"]))
        close(q, "second run")
        ini = read_ini(q.config)
        his = {k[1]: v for k, v in ini.items() if k[0] == "SYSTEM" and k[1].startswith("HIS")}
        check("closing saves the history like EXIT",
              his == {"HIS2": "ANS one", "HIS4": "/D", "HIS5": "ANS hello"}, repr(his))
    finally:
        q.stop()


def scenario_wait(folder):
    q = Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    try:
        if await_window(q, "wait") is None:
            return
        pid = q.linux_pid()
        if not check("wait: the Linux process of quorix.exe is found", pid is not None):
            return
        waiting = message("WAIT_WAIT", A="6")
        # The time is taken before Enter, so the measured wait can only come out longer.
        ok, out, err = drive([["type", "WAIT 6"], ["stamp"], ["key", "ENTER"],
                              ["wait-answer", waiting, "3000"]], q.wpid)
        if not check("WAIT 6 shows the wait answer", ok, err):
            return
        began = float(out[0])
        # Nobody disturbs the process for 2.5 s: its CPU time then is the wait's own.
        cpu_before, wall_before = cpu_seconds(pid), time.time()
        time.sleep(2.5)
        cpu = cpu_seconds(pid) - cpu_before
        share = cpu / (time.time() - wall_before)
        print(f"note: during WAIT quorix.exe used {cpu:.2f} s CPU in 2.5 s")
        check(f"WAIT uses almost no CPU ({cpu:.2f} s in 2.5 s)", share < 0.15)
        ok, out, err = drive([["ping", "5", "100", "1000"],
                              ["type", "ANS inner -1"], ["key", "ENTER"],
                              ["wait-answer", "inner", "2000"],
                              ["wait-answer", "", "10000"], ["stamp"]], q.wpid)
        if check("during WAIT the window answers WM_GETTEXT within a second and runs a "
                 "typed line; the wait then clears the answer", ok, err):
            took = float(out[-1]) - began
            check(f"WAIT 6 lasts six seconds (took {took:.2f} s)", 5.9 <= took <= 12)
        close(q, "wait")
    finally:
        q.stop()


def scenario_mbox(folder):
    q = Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    try:
        if await_window(q, "mbox") is None:
            return
        ok, out, err = enter(q, "MBOX hi", ["box", "10000"], ["dismiss-box", "5000"])
        if check("MBOX hi shows a box", ok, err):
            check("MBOX hi: title quorix, text hi", out[0] == "quorix\thi", repr(out[0]))
        ok, out, err = enter(q, "MBOX hello world", ["dismiss-box", "10000"])
        check("MBOX hello world: text hello", ok and out == ["hello"], err or repr(out))
        expect("after the box the window runs lines again",
               enter(q, "ANS after", ["wait-answer", "after", "5000"]))
        close(q, "mbox")
    finally:
        q.stop()


CTRL_ALT, HOME = "3", "36"


class Holder:
    """hotkey_holder.exe holding a combination until its input is closed."""

    def __init__(self, folder):
        self.out_path = os.path.join(folder, "holder.out")
        self.out = open(self.out_path, "wb")
        self.proc = subprocess.Popen(
            ["wine", os.path.join(BUILD, "hotkey_holder.exe"), CTRL_ALT, HOME, "300"],
            stdin=subprocess.PIPE, stdout=self.out, stderr=subprocess.DEVNULL)

    def state(self, timeout):
        """'held', 'refused ERROR' or '' when the holder said nothing within timeout seconds."""
        end = time.time() + timeout
        while time.time() < end:
            with open(self.out_path, "rb") as f:
                text = f.read().decode("ascii", "replace").strip()
            if text:
                return text
            time.sleep(0.2)
        return ""

    def release(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.out.close()


def scenario_hot_key_taken(folder):
    holder = Holder(folder)
    q = Quorix(folder)
    try:
        state = holder.state(120)
        if not check("the holder has Ctrl+Alt+Home", state == "held", repr(state)):
            return
        q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
        refused = message("ACTIVEKEY_ERR", A="Ctrl+Alt+Home")
        driver = Driver([["wait-window", WINDOW_MS], ["pid"],
                         ["wait-answer", refused, "10000"]])
        time.sleep(0.5)
        q.start()
        ok, lines, err = driver.result(timeout=180)
        if not check("start-up says that Ctrl+Alt+Home could not be registered", ok, err):
            return
        q.wpid = int(lines[1])
        holder.release()
        expect("once the holder has gone, SET ACTIVEKEY 3 36 registers it",
               enter(q, "SET ACTIVEKEY 3 36",
                     ["wait-answer", message("ACTIVEKEY_SET", A="3 36"), "5000"]))
        close(q, "hot key")
    finally:
        holder.release()
        q.stop()


def scenario_files(folder):
    """The shell's file operation from the window: its own confirmation dialog, a cancel in
    it, flags that skip it, and MCI's own error text."""
    q = Quorix(folder)
    q.prepare("[SYSTEM]\r\nVersion=0.50\r\n")
    with open(os.path.join(folder, "a b.txt"), "w") as f:
        f.write("ab")
    copy = os.path.join(folder, "c d.txt")
    try:
        if await_window(q, "files") is None:
            return
        expect('COPY "a b.txt" "c d.txt" answers SHFO_0',
               enter(q, 'COPY "a b.txt" "c d.txt"', ["wait-answer", message("SHFO_0"), "15000"]))
        check("the copy is there", os.path.isfile(copy) and open(copy).read() == "ab")
        ok, out, err = enter(q, 'DEL "c d.txt"', ["box", "20000"], ["dismiss-box", "5000"],
                             ["wait-answer", message("SHFO_1223"), "10000"])
        if check("DEL without flags waits for the shell's question; cancelled, it answers "
                 "SHFO_1223", ok, err):
            check("the question is the shell's delete confirmation",
                  out[0].startswith("ファイルの削除の確認\t"), repr(out[0]))
        check("the cancelled delete kept the file", os.path.isfile(copy))
        expect("DEL with flags 20 deletes without asking",
               enter(q, 'DEL "c d.txt" 20', ["wait-answer", message("SHFO_0"), "15000"],
                     ["no-box", "500"]))
        check("the file is gone", not os.path.exists(copy))
        expect("MOVE without destination answers code 1",
               enter(q, "MOVE a.txt", ["wait-answer", message("SHFO_1"), "5000"]))
        ok, out, err = enter(q, "MCI FOO", ["wait-answer", "--contains",
                                            message("MCI_ERR", A="", B="292"), "5000"])
        check("MCI FOO answers MCI_ERR with 292 and Wine's description",
              ok and len(out[0]) > len(message("MCI_ERR", A="", B="292")), err or repr(out))
        close(q, "files")
    finally:
        q.stop()


def main():
    global BUILD, SOURCE
    BUILD, SOURCE = sys.argv[1], sys.argv[2]
    return run_scenarios((scenario_first_start, scenario_lines_and_exit, scenario_wait,
                          scenario_mbox, scenario_hot_key_taken, scenario_files),
                         "qrx-wine-quorix-",
                         ("quorix.exe", "quorix_driver.exe", "hotkey_holder.exe"))


def run_scenarios(scenarios, prefix, programs=("quorix.exe", "quorix_driver.exe")):
    """Runs each scenario in a fresh folder whose name starts with prefix, once the programs
    are built; shows the end of the Wine output of a scenario with failures, prints the
    summary; returns the exit code."""
    for name in programs:
        if not os.path.exists(os.path.join(BUILD, name)):
            print(f"FAIL: {os.path.join(BUILD, name)} not found (build the windows preset)")
            print("0 passed, 1 failed")
            return 1
    for scenario in scenarios:
        folder = tempfile.mkdtemp(prefix=prefix)
        before = failed
        try:
            scenario(folder)
        except Exception as e:  # a broken scenario is one failure, the others still run
            check(scenario.__name__, False, f"{type(e).__name__}: {e}")
        if failed != before and os.path.exists(os.path.join(folder, "wine.log")):
            with open(os.path.join(folder, "wine.log"), "rb") as f:
                tail = f.read()[-1500:].decode("utf-8", "replace").strip()
            if tail:
                print(f"--- wine output of {scenario.__name__}\n{tail}")
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
