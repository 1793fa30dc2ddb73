#!/usr/bin/env python3
"""quorix.exe under Wine, driven from outside by quorix_driver.exe as a user would.

Two starts: lines with Enter, Tab completion and history recall, closed with the window's
close (which saves the history); and a start while hotkey_holder.exe holds Ctrl+Alt+Home,
which then takes the key, shows MBOX, waits for the shell's delete dialog, and WAITs (the window
stays responsive and the process idles).

Also the helpers of the other Wine scripts: Quorix (one quorix.exe in a folder of its own),
Driver and run_scenarios. The Wine prefix and display come from wine_env.sh.

usage: wine_quorix.py WINDOWS_BUILD_DIR
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import SOURCE, check, message, read_ini, unescape  # noqa: F401
from qrx_e2e import win_path as windows_path

PRODUCT, VERSION = "quorix", "0.50"
CAPTION = f"{PRODUCT} Ver{VERSION} [--]"
CONFIG = e2e.CONFIG.decode("ascii")
WINDOW_MS = "60000"  # the first Wine program of a prefix can take long to come up
BUILD = ""

def descendants(pid):
    """The Linux process and all its descendants, parents first."""
    tree, todo = [], [pid]
    while todo:
        parent = todo.pop(0)
        tree.append(parent)
        for entry in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{entry}/stat") as f:
                    if int(f.read().rsplit(")", 1)[1].split()[1]) == parent:
                        todo.append(int(entry))
            except (OSError, IndexError, ValueError):
                pass
    return tree


def cpu_seconds(pid):
    """User + system CPU time of a Linux process, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Driver:
    """One quorix_driver.exe run with steps. Its output goes to files, not pipes: the first
    Wine program of a prefix starts Wine's services, which inherit its handles and would keep
    a pipe open long after the driver has ended."""

    def __init__(self, steps, pid=None):
        args = ["wine", os.path.join(BUILD, "quorix_driver.exe")] + (["--pid", str(pid)] if pid
                                                                      else [])
        for i, step in enumerate(steps):
            args += (["--"] if i else []) + list(step)
        self.out, self.err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.out,
                                     stderr=self.err)

    def result(self, timeout=120):
        """(ok, output lines, error text) once the driver has ended."""
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return False, [], f"driver hung for {timeout} s"
        self.out.seek(0)
        self.err.seek(0)
        out = self.out.read().decode("utf-8", "replace").replace("\r\n", "\n").split("\n")[:-1]
        err = self.err.read().decode("utf-8", "replace").strip()
        return self.proc.returncode == 0, [unescape(line) for line in out], err


def drive(steps, pid=None, timeout=120):
    """Runs one driver with the steps in order: (ok, output lines, error text)."""
    return Driver(steps, pid).result(timeout)


class Quorix:
    """One quorix.exe under Wine in a folder of its own, with DEF.MSG and the data files named
    (data None: the folder holds the program already), and the configuration file
    QRX_CORE.INI beside it (written when config is given)."""

    def __init__(self, folder, config=CONFIG, data=()):
        self.folder, self.config = folder, os.path.join(folder, "QRX_CORE.INI")
        self.proc = self.wpid = self.log = None
        if data is not None:
            for f in ["DEF.MSG", *data]:
                shutil.copy(os.path.join(SOURCE, "data", f), folder)
            shutil.copy(os.path.join(BUILD, "quorix.exe"), folder)
        if config is not None:
            with open(self.config, "wb") as f:
                f.write(config.encode("cp932"))

    def start(self, name, *first, box=False, args=None, cwd=None, caption=CAPTION):
        """Starts the program and waits for its window and caption (after dismissing the
        first-start box when one is expected, else making sure none comes), then runs the steps
        `first` in the same driver: it is up before the program, so it sees the start answer
        before the wipe. Returns the output of `first` (the box first, as TITLE<TAB>TEXT), or
        None when this failed."""
        steps = ([["dismiss-box", WINDOW_MS]] if box else []) + [["wait-window", WINDOW_MS]]
        steps += ([] if box else [["no-box", "500"]]) + [["pid"], ["wait-caption", caption,
                                                                    "5000"], *first]
        driver = Driver(steps)
        time.sleep(0.5)
        self.log = open(os.path.join(self.folder, "wine.log"), "ab")
        args = [windows_path(self.config)] if args is None else args
        self.proc = subprocess.Popen(["wine", os.path.join(self.folder, "quorix.exe"), *args],
                                     cwd=cwd or self.folder, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=self.log)
        ok, lines, err = driver.result(timeout=180)
        if not check(f"{name}: the window comes with its caption", ok, err):
            return None
        self.wpid = int(lines[2 if box else 1])
        return lines[:1] + lines[4:] if box else lines[3:]

    def steps(self, name, *steps, want=lambda out: True):
        """Drives the window with the steps; checks that they succeed and want(output) holds.
        Returns the output, or None when the check failed."""
        ok, out, err = drive(steps, self.wpid)
        return out if check(name, ok and want(out), err or repr(out)) else None

    def enter(self, name, line, *then, want=lambda out: True):
        """Types a line, presses Enter and runs the further steps."""
        return self.steps(name, ["type", line], ["key", "ENTER"], *then, want=want)

    def ended(self, timeout=15):
        try:
            self.proc.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def close(self, name, *how):
        """Closes the window (as the user does, or with the steps given); the process ends."""
        self.steps(f"{name}: closing", *(how or [["close"]]), ["wait-gone", "15000"])
        check(f"{name}: the process ends", self.ended())

    def linux_pid(self):
        """The Linux process that is quorix.exe: the one started, or one of its descendants."""
        for pid in descendants(self.proc.pid):
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    if b"quorix.exe" in f.read():
                        return pid
            except OSError:
                pass
        return None

    def stop(self):
        """Ends what this run started and is still running."""
        if self.proc is not None and self.proc.poll() is None:
            for pid in reversed(descendants(self.proc.pid)):
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
            self.proc.wait(timeout=10)
        if self.log:
            self.log.close()


def scenario_lines_and_history(folder):
    """Lines, Tab and history in the real edit control; the window's close saves the history.
    (The first-start box: release_check.py; EXIT and the stored history's recall: StartupTest,
    MainWindowTest.)"""
    q = Quorix(folder)
    try:
        if q.start("lines", ["wait-answer", message("SYSTEM_START", A=PRODUCT, B=VERSION),
                             "5000"]) is None:
            return
        q.enter("ANS hello answers hello and empties the command box", "ANS hello",
                ["wait-answer", "hello", "5000"], ["wait-command-text", "", "2000"])
        q.enter("/D shows direct mode in the caption and answers MODE_DIRECT", "/D",
                ["wait-caption", f"{PRODUCT} Ver{VERSION} [D-]", "5000"],
                ["wait-answer", message("MODE_DIRECT"), "5000"])
        tab = [["key", "TAB"], ["wait-command-text", "SET CLIP", "3000"], ["key", "TAB"],
               ["wait-command-text", "SET CLIP ", "3000"], ["key", "TAB"],
               ["wait-command-text", "SET CLIPFLG ", "3000"], ["key", "ESC"],
               ["wait-command-text", "SET cl", "3000"]]
        q.steps("Tab completes in the box, Esc puts back what was typed", ["type", "SET cl"],
                *tab, ["key", "UP"], ["key", "DOWN"], ["wait-command-text", "", "3000"])
        walk = [("UP", "/D"), ("UP", "ANS hello"), ("DOWN", "/D"), ("DOWN", "")]
        q.steps("Up recalls the newest line, then the one before; Down goes back to empty",
                *[s for key, line in walk for s in (["key", key], ["wait-command-text", line,
                                                                   "3000"])])
        q.close("the window's close")
        his = {k[1]: v for k, v in read_ini(q.config).items() if k[1].startswith("HIS")}
        check("closing saves the history (entry 1, the newest, is not stored)",
              his == {"HIS2": "ANS hello"}, repr(his))
    finally:
        q.stop()


def scenario_hot_key_box_files_wait(folder):
    # hotkey_holder.exe holds Ctrl+Alt+Home until its input is closed; it says "held" first.
    said = tempfile.TemporaryFile()
    holder = subprocess.Popen(["wine", os.path.join(BUILD, "hotkey_holder.exe"), "3", "36"],
                              stdin=subprocess.PIPE, stdout=said, stderr=subprocess.DEVNULL)

    def release():
        holder.stdin.close()
        try:
            holder.wait(timeout=30)
        except subprocess.TimeoutExpired:
            holder.kill()
            holder.wait()

    q = Quorix(folder)
    copy = os.path.join(folder, "c d.txt")
    open(copy, "w").close()
    try:
        # The holder may be the first Wine program of the prefix.
        e2e.wait_for(lambda: os.fstat(said.fileno()).st_size or holder.poll() is not None, 120)
        state = os.pread(said.fileno(), 64, 0).decode("ascii", "replace").strip()
        if not check("the holder has Ctrl+Alt+Home", state == "held", repr(state)):
            return
        if q.start("hot key taken: start-up says Ctrl+Alt+Home could not be registered",
                   ["wait-answer", message("ACTIVEKEY_ERR", A="Ctrl+Alt+Home"), "10000"]) is None:
            return
        release()
        q.enter("once the holder has gone, SET ACTIVEKEY 3 36 registers it", "SET ACTIVEKEY 3 36",
                ["wait-answer", message("ACTIVEKEY_SET", A="3 36"), "5000"])

        q.enter("MBOX hi: a real box with title quorix and text hi; then the window runs lines",
                "MBOX hi", ["dismiss-box", "10000"], ["type", "ANS after"], ["key", "ENTER"],
                ["wait-answer", "after", "5000"], want=lambda out: out == ["quorix\thi", "after"])
        # The shell's own dialog, owned by the window (names and answers: the files transcript).
        q.enter("DEL without flags waits for the shell's delete confirmation; cancelled, it "
                "answers SHFO_1223", 'DEL "c d.txt"', ["dismiss-box", "20000"],
                ["wait-answer", message("SHFO_1223"), "10000"],
                want=lambda out: out[0].startswith("ファイルの削除の確認\t"))
        check("the cancelled delete kept the file", os.path.isfile(copy))
        q.enter("DEL with flags 20 deletes without asking; an answer fits the line",
                'DEL "c d.txt" 20', ["wait-answer", message("SHFO_0"), "15000"], ["no-box", "500"],
                ["type", "ANS gjpqyあ -1"], ["key", "ENTER"], ["wait-answer", "gjpqyあ", "5000"],
                ["text-fit", "answer"])
        check("the file is gone", not os.path.exists(copy))

        pid = q.linux_pid()
        # The time is taken before Enter, so the measured wait can only come out longer.
        out = q.steps("WAIT 6 shows the wait answer", ["type", "WAIT 6"], ["stamp"],
                      ["key", "ENTER"], ["wait-answer", message("WAIT_WAIT", A="6"), "3000"])
        if out is None:
            return
        began = float(out[0])
        # Nobody disturbs the process for 2.5 s: its CPU time then is the wait's own.
        cpu_before, wall_before = cpu_seconds(pid), time.time()
        time.sleep(2.5)
        cpu = cpu_seconds(pid) - cpu_before
        check(f"WAIT uses almost no CPU ({cpu:.2f} s in 2.5 s)",
              cpu / (time.time() - wall_before) < 0.15)
        out = q.enter("during WAIT the window answers WM_GETTEXT within a second and runs a "
                      "typed line; the wait then clears the answer", "ANS inner -1",
                      ["ping", "5", "100", "1000"], ["wait-answer", "inner", "2000"],
                      ["wait-answer", "", "10000"], ["stamp"])
        if out is not None:
            took = float(out[-1]) - began
            check(f"WAIT 6 lasts six seconds (took {took:.2f} s)", 5.9 <= took <= 12)
        q.close("hot key, box, files and wait")
    finally:
        release()
        q.stop()


def run_scenarios(scenarios, prefix, programs=("quorix.exe", "quorix_driver.exe")):
    """Runs each scenario in a fresh folder, once the programs are built; shows the end of
    the Wine output of a scenario with failures; prints the summary; returns the exit code."""
    missing = [p for p in programs if not os.path.exists(os.path.join(BUILD, p))]
    if not check("the programs are built (windows preset)", not missing, repr(missing)):
        scenarios = ()
    for scenario in scenarios:
        folder = tempfile.mkdtemp(prefix=prefix)
        before = e2e.counts[1]
        try:
            scenario(folder)
        except Exception as e:  # a broken scenario is one failure, the others still run
            check(getattr(scenario, "__name__", "scenario"), False, f"{type(e).__name__}: {e}")
        log = os.path.join(folder, "wine.log")
        if e2e.counts[1] != before and os.path.exists(log):
            with open(log, "rb") as f:
                print(f"--- wine output\n{f.read()[-1500:].decode('utf-8', 'replace').strip()}")
        shutil.rmtree(folder, ignore_errors=True)
    return e2e.summary()


if __name__ == "__main__":
    BUILD = sys.argv[1]
    sys.exit(run_scenarios((scenario_lines_and_history, scenario_hot_key_box_files_wait),
                           "qrx-wine-quorix-",
                           ("quorix.exe", "quorix_driver.exe", "hotkey_holder.exe")))
