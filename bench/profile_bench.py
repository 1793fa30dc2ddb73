#!/usr/bin/env python3
"""Settings writes and aliases through native qrxsh. Called by bench/writes.sh and
bench/aliases.sh.

usage: profile_bench.py writes NATIVE_DIR ROUNDS LINES
       profile_bench.py aliases NATIVE_DIR RUNS COUNT

writes: a command file of LINES lines "SET n v<i>" (n = i mod 10, every value new, so every
line writes the configuration) run by qrxsh with "LBAT", against write_floor on the same
configuration and lines: read the file, change the line, write a temporary file, rename it
over the file. The two alternate ROUNDS times in fresh folders beside each other, so both see
the same disk and the same load; the figures are medians (wall clock), with the median of the
per-round ratios.

aliases: a command file of COUNT lines "ALIAS An ECHO alias n" run by qrxsh (wall clock from
the LBAT line to its last answer), then the start-up of qrxsh with those COUNT aliases in its
configuration against the start-up without any (process start to its first answer, median of
RUNS).
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
        self.proc.stdin.close()
        self.proc.stdout.read()
        self.proc.wait(timeout=60)


def fresh_folder(root, name, config):
    folder = os.path.join(root, name)
    os.mkdir(folder)
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(config)
    return folder


def run_command_file(native_dir, folder, commands, lines):
    """Seconds from the LBAT line to the answer of its last line."""
    sh = Qrxsh(native_dir, folder)
    sh.answers(1)  # started
    sent = time.perf_counter()
    sh.send("LBAT " + commands)
    done = sh.answers(lines)
    sh.end()
    return done - sent


def writes(native_dir, rounds, lines):
    root = tempfile.mkdtemp(prefix="qrx-writes-", dir=os.environ.get("QRX_BENCH_DIR"))
    try:
        commands = os.path.join(root, "set.bat")
        with open(commands, "wb") as f:
            for i in range(lines):
                f.write(b"SET %d v%d\r\n" % (i % 10, i))
        floor_exe = os.path.join(native_dir, "bench", "write_floor")
        # One unmeasured run of each brings the program and the folder into the cache.
        floor, quorix = [], []
        for r in range(rounds + 1):
            folder = fresh_folder(root, f"floor{r}", set_config())
            out = subprocess.run([floor_exe, os.path.join(folder, "QRX_CORE.INI"), commands],
                                 check=True, stdout=subprocess.PIPE).stdout
            f = float(out)
            folder = fresh_folder(root, f"qrxsh{r}", set_config())
            q = run_command_file(native_dir, folder, commands, lines)
            if r:
                floor.append(f)
                quorix.append(q)
                print(f"round {r}: floor {f:.2f} s, qrxsh {q:.2f} s, ratio {q / f:.2f}")
        f, q = statistics.median(floor), statistics.median(quorix)
        ratio = statistics.median(b / a for a, b in zip(floor, quorix))
        print(f"{lines} distinct SET lines: floor {f:.2f} s ({f / lines * 1e6:.0f} us/write), "
              f"qrxsh {q:.2f} s ({q / lines * 1e6:.0f} us/line); ratio of medians {q / f:.2f}, "
              f"median ratio {ratio:.2f} (target <= 1.2)")
    finally:
        shutil.rmtree(root, ignore_errors=True)


def startup(native_dir, folder):
    sh = Qrxsh(native_dir, folder)
    took = sh.answers(1) - sh.started
    sh.end()
    return took


def aliases(native_dir, runs, count):
    root = tempfile.mkdtemp(prefix="qrx-aliases-", dir=os.environ.get("QRX_BENCH_DIR"))
    try:
        commands = os.path.join(root, "alias.bat")
        with open(commands, "wb") as f:
            for i in range(count):
                f.write(b"ALIAS A%d ECHO alias %d\r\n" % (i, i))
        folder = fresh_folder(root, "define", BASE_CONFIG)
        defined = run_command_file(native_dir, folder, commands, count)
        with open(os.path.join(folder, "QRX_CORE.INI"), "rb") as f:
            stored = f.read().count(b"\r\nA")
        print(f"defining {count} aliases from a command file: {defined:.2f} s "
              f"({stored} stored; target <= 2 s)")
        empty = fresh_folder(root, "empty", BASE_CONFIG)
        startup(native_dir, empty)  # the first start writes the catalogue beside it
        startup(native_dir, folder)
        with_aliases = statistics.median(startup(native_dir, folder) for _ in range(runs))
        without = statistics.median(startup(native_dir, empty) for _ in range(runs))
        print(f"start-up to the first answer: {with_aliases * 1000:.1f} ms with {count} aliases, "
              f"{without * 1000:.1f} ms without (median of {runs}; target <= 20 ms)")
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
