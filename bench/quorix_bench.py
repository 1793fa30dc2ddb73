#!/usr/bin/env python3
"""Start-up time, working set and CPU use of native qrxsh and of quorix.exe under Wine.
Called by bench/startup.sh and bench/cpu.sh, which prepare the environment (the Wine prefix
and display, QRX_SESSION_END=off).

usage: quorix_bench.py startup NATIVE_DIR WINDOWS_DIR RUNS
       quorix_bench.py cpu NATIVE_DIR WINDOWS_DIR WAIT_SECONDS IDLE_SECONDS
An empty directory argument skips that side.

Every run uses a fresh folder with a configuration that already holds the running version,
so no first-start notice interferes. qrxsh gets no input lines (its input stays open) and is
timed until it prints its first ANSWER line; quorix.exe is timed until quorix_driver.exe,
started and waiting beforehand, sees the start answer in the answer line. Figures are medians
over the runs; under Wine one warm-up run comes first (the driver started before it has
already brought up the prefix's services), reported on its own and left out of the median.
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

CONFIG = b"[SYSTEM]\r\nVersion=0.50\r\n"
HZ = os.sysconf("SC_CLK_TCK")


# ---- /proc --------------------------------------------------------------------------------

def stat_fields(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()


def cpu_seconds(pid):
    fields = stat_fields(pid)
    return (int(fields[11]) + int(fields[12])) / HZ


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode("utf-8", "replace")
    except OSError:
        return ""


def processes():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def children(pid):
    out = []
    for p in processes():
        try:
            if int(stat_fields(p)[1]) == pid:
                out.append(p)
        except (OSError, IndexError, ValueError):
            pass
    return out


def descendants(pid):
    found, todo = [], [pid]
    while todo:
        kids = children(todo.pop())
        found += kids
        todo += kids
    return found


def wineserver_pid():
    """The Wine server of this prefix (WINEPREFIX of the environment), or None."""
    prefix = os.environ.get("WINEPREFIX", "").encode()
    for p in processes():
        if "wineserver" not in cmdline(p):
            continue
        try:
            with open(f"/proc/{p}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix + b"\0" in f.read() + b"\0":
                    return p
        except OSError:
            pass
    return None


# ---- native qrxsh --------------------------------------------------------------------------

class Qrxsh:
    def __init__(self, native_dir, folder):
        config = os.path.join(folder, "QRX_CORE.INI")
        with open(config, "wb") as f:
            f.write(CONFIG)
        self.started = time.perf_counter()
        self.proc = subprocess.Popen([os.path.join(native_dir, "qrxsh"), config],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, cwd=folder)

    def until(self, prefix):
        """Reads events until one starts with prefix; returns the time then."""
        for line in self.proc.stdout:
            if line.startswith(prefix):
                return time.perf_counter()
        raise RuntimeError(f"qrxsh ended before printing {prefix!r}")

    def send(self, line):
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()

    def end(self):
        self.proc.stdin.close()
        self.proc.stdout.read()
        self.proc.wait(timeout=30)


# ---- quorix.exe under Wine -----------------------------------------------------------------

class Driver:
    """quorix_driver.exe with its output in a file (the Wine services it may start would keep
    a pipe open)."""

    def __init__(self, windows_dir, *steps, pid=None):
        args = ["wine", os.path.join(windows_dir, "quorix_driver.exe")]
        if pid:
            args += ["--pid", str(pid)]
        for i, step in enumerate(steps):
            args += (["--"] if i else []) + list(step)
        self.out = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.out,
                                     stderr=subprocess.DEVNULL)

    def lines(self):
        # pread: the file offset is shared with the driver, which may still be writing.
        fd = self.out.fileno()
        return os.pread(fd, os.fstat(fd).st_size, 0).decode("utf-8", "replace").splitlines()

    def finish(self, timeout=120):
        self.proc.wait(timeout=timeout)
        if self.proc.returncode != 0:
            raise RuntimeError(f"quorix_driver failed (exit {self.proc.returncode}): {self.lines()}")
        return self.lines()


def start_answer(windows_dir):
    """The start answer as the delivered DEF.MSG words it."""
    with open(os.path.join(windows_dir, "DEF.MSG"), "rb") as f:
        text = f.read().decode("cp932")
    section = ""
    for line in text.replace("\r\n", "\n").split("\n"):
        line = line.strip()
        if line.startswith("["):
            section = line.strip("[]").upper()
        elif section == "SYSTEM" and line.upper().startswith("START="):
            return line.split("=", 1)[1].replace("#A", "quorix").replace("#B", "0.50")
    raise RuntimeError("no SYSTEM START message in DEF.MSG")


class Quorix:
    def __init__(self, windows_dir, folder):
        self.windows_dir = windows_dir
        self.config = os.path.join(folder, "QRX_CORE.INI")
        with open(self.config, "wb") as f:
            f.write(CONFIG)
        self.folder = folder
        self.proc = None
        self.wpid = None

    def start(self):
        """Starts quorix.exe; returns the seconds until the driver saw the start answer."""
        driver = Driver(self.windows_dir, ["stamp"],
                        ["wait-answer", start_answer(self.windows_dir), "120000"], ["stamp"],
                        ["pid"])
        deadline = time.time() + 120
        while not driver.lines():  # the driver is up and polling
            if driver.proc.poll() is not None or time.time() > deadline:
                raise RuntimeError(f"quorix_driver did not start: {driver.lines()}")
            time.sleep(0.01)
        began = time.time()
        self.proc = subprocess.Popen(
            ["wine", os.path.join(self.windows_dir, "quorix.exe"),
             "Z:" + self.config.replace("/", "\\")],
            cwd=self.folder, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        lines = driver.finish(timeout=180)
        self.wpid = int(lines[3])
        return float(lines[2]) - began

    def linux_pid(self):
        for p in [self.proc.pid] + descendants(self.proc.pid):
            if "quorix.exe" in cmdline(p):
                return p
        raise RuntimeError("no Linux process of quorix.exe found")

    def drive(self, *steps):
        return Driver(self.windows_dir, *steps, pid=self.wpid).finish()

    def end(self):
        if self.proc is None:
            return
        try:
            if self.wpid:
                Driver(self.windows_dir, ["close"], ["wait-gone", "15000"],
                       pid=self.wpid).proc.wait(timeout=60)
            self.proc.wait(timeout=15)
        except (subprocess.TimeoutExpired, RuntimeError):
            pass
        if self.proc.poll() is None:
            for p in reversed([self.proc.pid] + descendants(self.proc.pid)):
                try:
                    os.kill(p, signal.SIGKILL)
                except OSError:
                    pass
            self.proc.wait(timeout=10)


# ---- the benchmarks --------------------------------------------------------------------------

def summary(values, unit, scale=1.0, digits=0):
    v = [x * scale for x in values]
    return (f"median {statistics.median(v):.{digits}f} {unit} "
            f"(min {min(v):.{digits}f}, max {max(v):.{digits}f}, {len(v)} runs)")


def bench_startup(native_dir, windows_dir, runs):
    if native_dir:
        times, rss = [], []
        for _ in range(runs):
            folder = tempfile.mkdtemp(prefix="qrx-bench-")
            try:
                q = Qrxsh(native_dir, folder)
                times.append(q.until(b"ANSWER\t") - q.started)
                rss.append(rss_kib(q.proc.pid))
                q.end()
            finally:
                shutil.rmtree(folder, ignore_errors=True)
        print(f"qrxsh (native)     start to first answer: {summary(times, 'ms', 1000, 1)}")
        print(f"qrxsh (native)     VmRSS after start:     {summary(rss, 'KiB')}")
    if windows_dir:
        times, rss = [], []
        for i in range(runs + 1):
            folder = tempfile.mkdtemp(prefix="qrx-bench-")
            q = Quorix(windows_dir, folder)
            try:
                took = q.start()
                size = rss_kib(q.linux_pid())
                if i == 0:
                    print(f"quorix.exe (Wine)  warm-up run, not counted: {took * 1000:.0f} ms, "
                          f"VmRSS {size} KiB")
                else:
                    times.append(took)
                    rss.append(size)
            finally:
                q.end()
                shutil.rmtree(folder, ignore_errors=True)
        print(f"quorix.exe (Wine)  start to start answer: {summary(times, 'ms', 1000, 0)}")
        print(f"quorix.exe (Wine)  VmRSS after start:     {summary(rss, 'KiB')}")


def share(cpu, wall):
    return f"{cpu:.3f} s CPU in {wall:.1f} s ({100 * cpu / wall:.2f} % of one core)"


def bench_cpu(native_dir, windows_dir, wait_s, idle_s):
    if native_dir:
        folder = tempfile.mkdtemp(prefix="qrx-bench-")
        try:
            q = Qrxsh(native_dir, folder)
            q.until(b"ANSWER\t")
            pid = q.proc.pid
            c0, t0 = cpu_seconds(pid), time.perf_counter()
            q.send(f"WAIT {wait_s}")
            q.until(b"ANSWER\t-2\t")
            print(f"qrxsh (native)     WAIT {wait_s}: " +
                  share(cpu_seconds(pid) - c0, time.perf_counter() - t0))
            c0, t0 = cpu_seconds(pid), time.perf_counter()
            time.sleep(idle_s)
            print(f"qrxsh (native)     idle {idle_s} s: " +
                  share(cpu_seconds(pid) - c0, time.perf_counter() - t0))
            q.end()
        finally:
            shutil.rmtree(folder, ignore_errors=True)
    if windows_dir:
        folder = tempfile.mkdtemp(prefix="qrx-bench-")
        q = Quorix(windows_dir, folder)
        try:
            q.start()
            time.sleep(4)  # the start answer is wiped and the window is idle
            pid, server = q.linux_pid(), wineserver_pid()

            def measure(label, action, seconds):
                c0, t0 = cpu_seconds(pid), time.perf_counter()
                s0 = cpu_seconds(server) if server else 0.0
                action()
                time.sleep(seconds)
                wall = time.perf_counter() - t0
                line = f"quorix.exe (Wine)  {label}: " + share(cpu_seconds(pid) - c0, wall)
                if server:
                    line += f"; wineserver {cpu_seconds(server) - s0:.3f} s"
                print(line)

            # The driver only posts the line and ends; nothing polls the window while the
            # figures are taken, and the time runs a little past the end of the wait.
            measure(f"WAIT {wait_s}", lambda: q.drive(["type", f"WAIT {wait_s}"], ["key", "ENTER"]),
                    wait_s + 0.3)
            q.drive(["wait-answer", "", "30000"])  # the wait is over
            time.sleep(1)
            measure(f"idle {idle_s} s", lambda: None, idle_s)
        finally:
            q.end()
            shutil.rmtree(folder, ignore_errors=True)


def main():
    what, native_dir, windows_dir = sys.argv[1], sys.argv[2], sys.argv[3]
    if what == "startup":
        bench_startup(native_dir, windows_dir, int(sys.argv[4]))
    elif what == "cpu":
        bench_cpu(native_dir, windows_dir, int(sys.argv[4]), int(sys.argv[5]))
    else:
        print(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
