#!/usr/bin/env python3
"""Settings writes and aliases through native qrxsh, each beside the bare floor of the same
writes. Called by bench/writes.sh and bench/aliases.sh.

usage: profile_bench.py writes NATIVE_DIR ROUNDS LINES
       profile_bench.py aliases NATIVE_DIR ROUNDS COUNT

writes: a command file of LINES lines "SET n v<i>" (n = i mod 10, every value new, so every
line writes the configuration). aliases: a command file of COUNT lines "ALIAS An ECHO alias n"
(every line adds a key), then the start-up of qrxsh with those aliases against the start-up
without any (process start to its first answer).

qrxsh runs the command file with "LBAT" (timed from its start to its end); write_floor (bench/floor) does the same writes with plain system calls: read the file,
change the line, write a temporary file, rename it over the file. The two alternate ROUNDS
times, each in a fresh folder, so both meet the same disk and the same load. Figures are
medians of wall-clock time, with the median of the per-round ratios; the CPU time (user +
system) of each process is given too, as it depends far less on what else the machine runs.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BASE_CONFIG = b"[SYSTEM]\r\nVersion=0.50\r\n"


def set_config():
    return BASE_CONFIG + b"[SET]\r\n" + b"".join(b"%d=start\r\n" % k for k in range(10))


def reap(proc):
    """Waits for the process; its CPU seconds (user + system)."""
    _, _, usage = os.wait4(proc.pid, 0)
    proc.returncode = 0
    return usage.ru_utime + usage.ru_stime


class Qrxsh:
    """qrxsh on a configuration of its own; the events it prints are read line by line."""

    def __init__(self, native_dir, folder):
        self.started = time.perf_counter()
        self.proc = subprocess.Popen(
            [os.path.join(native_dir, "qrxsh"), os.path.join(folder, "QRX_CORE.INI")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            cwd=folder)

    def answers(self, count):
        """Reads until `count` ANSWER events have come; the time then."""
        for line in self.proc.stdout:
            if line.startswith(b"ANSWER"):
                count -= 1
                if count == 0:
                    return time.perf_counter()
        raise RuntimeError("qrxsh ended early")

    def send(self, line):
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()

    def end(self):
        """Ends the run; its CPU seconds."""
        self.proc.stdin.close()
        self.proc.stdout.read()
        return reap(self.proc)


def fresh_folder(root, name, config):
    folder = os.path.join(root, name)
    os.mkdir(folder)
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(config)
    return folder


def run_qrxsh(native_dir, folder, commands):
    """Seconds from the start of qrxsh, given the one line "LBAT commands", to its end (its
    start-up and exit included, a few hundredths of a second), and its CPU seconds. Its
    output goes to /dev/null: a reader of every answer would compete with it for the CPU."""
    started = time.perf_counter()
    proc = subprocess.Popen(
        [os.path.join(native_dir, "qrxsh"), os.path.join(folder, "QRX_CORE.INI")],
        stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=folder)
    proc.stdin.write(f"LBAT {commands}\n".encode())
    proc.stdin.close()  # qrxsh ends once the line has run
    cpu = reap(proc)
    return time.perf_counter() - started, cpu


def run_floor(native_dir, folder, commands):
    proc = subprocess.Popen([os.path.join(native_dir, "bench", "write_floor"),
                             os.path.join(folder, "QRX_CORE.INI"), commands],
                            stdout=subprocess.PIPE)
    out = proc.stdout.read()
    cpu = reap(proc)
    return float(out), cpu


def side_by_side(native_dir, root, commands, lines, config, rounds, what):
    """Floor and qrxsh alternately; one unmeasured round first brings everything into the
    caches."""
    floor, quorix, floor_cpu, quorix_cpu = [], [], [], []
    for r in range(rounds + 1):
        f, fc = run_floor(native_dir, fresh_folder(root, f"floor{r}", config), commands)
        q, qc = run_qrxsh(native_dir, fresh_folder(root, f"qrxsh{r}", config), commands)
        if r:
            floor.append(f), quorix.append(q), floor_cpu.append(fc), quorix_cpu.append(qc)
            print(f"  round {r}: floor {f:.2f} s, qrxsh {q:.2f} s, ratio {q / f:.2f}")
    f, q = statistics.median(floor), statistics.median(quorix)
    ratio = statistics.median(b / a for a, b in zip(floor, quorix))
    print(f"{what}: floor {f:.2f} s ({f / lines * 1e6:.0f} us each), qrxsh {q:.2f} s "
          f"({q / lines * 1e6:.0f} us each); ratio of medians {q / f:.2f}, median ratio "
          f"{ratio:.2f}; CPU floor {statistics.median(floor_cpu):.2f} s, qrxsh "
          f"{statistics.median(quorix_cpu):.2f} s")
    return q


def writes(native_dir, rounds, lines):
    root = tempfile.mkdtemp(prefix="qrx-writes-", dir=os.environ.get("QRX_BENCH_DIR"))
    try:
        commands = os.path.join(root, "set.bat")
        with open(commands, "wb") as f:
            for i in range(lines):
                f.write(b"SET %d v%d\r\n" % (i % 10, i))
        side_by_side(native_dir, root, commands, lines, set_config(), rounds,
                     f"{lines} distinct SET lines (target: ratio <= 1.2)")
    finally:
        shutil.rmtree(root, ignore_errors=True)


def startup(native_dir, folder):
    """Seconds to the first answer, and the CPU seconds of the whole start and exit."""
    sh = Qrxsh(native_dir, folder)
    took = sh.answers(1) - sh.started
    return took, sh.end()


def aliases(native_dir, rounds, count):
    root = tempfile.mkdtemp(prefix="qrx-aliases-", dir=os.environ.get("QRX_BENCH_DIR"))
    try:
        commands = os.path.join(root, "alias.bat")
        with open(commands, "wb") as f:
            for i in range(count):
                f.write(b"ALIAS A%d ECHO alias %d\r\n" % (i, i))
        side_by_side(native_dir, root, commands, count, BASE_CONFIG, rounds,
                     f"defining {count} aliases from a command file (target <= 2 s)")
        folder = os.path.join(root, f"qrxsh{rounds}")
        with open(os.path.join(folder, "QRX_CORE.INI"), "rb") as f:
            stored = f.read().count(b"\r\nA")
        empty = fresh_folder(root, "empty", BASE_CONFIG)
        startup(native_dir, empty)  # the first start writes the catalogue beside it
        runs = 4 * rounds + 1
        figures = {}
        for name, where in (("with", folder), ("without", empty)):
            results = [startup(native_dir, where) for _ in range(runs)]
            figures[name] = (statistics.median(r[0] for r in results),
                             statistics.median(r[1] for r in results))
        (w, wc), (o, oc) = figures["with"], figures["without"]
        print(f"start-up to the first answer with {stored} aliases: {w * 1000:.1f} ms "
              f"(CPU of start and exit {wc * 1000:.0f} ms); without aliases {o * 1000:.1f} ms "
              f"(CPU {oc * 1000:.0f} ms); median of {runs} (target <= 20 ms)")
    finally:
        shutil.rmtree(root, ignore_errors=True)


def main():
    mode, native_dir = sys.argv[1], sys.argv[2]
    if mode == "writes":
        writes(native_dir, int(sys.argv[3]), int(sys.argv[4]))
    elif mode == "aliases":
        aliases(native_dir, int(sys.argv[3]), int(sys.argv[4]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
