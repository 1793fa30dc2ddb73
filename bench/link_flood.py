#!/usr/bin/env python3
"""A flood of LINK datagrams against native qrxsh, on the loopback interface only.

qrxsh binds a port with SET MYPORT and lists 127.0.0.1 in its link list; this script then
sends COUNT datagrams "127.0.0.1|VER" from 127.0.0.1 as fast as it can, three times, and
reports for each flood how many of them ran (VER answers), how many the socket's buffer
dropped, how long qrxsh took to work through what it kept, the longest and the median gap
between two ticks from the start of the flood until that work was done (qrxsh writes the time
of each tick to the file named by QRXSH_TICK_LOG), and the resident memory (VmRSS) before the
first flood and after each.

Then the fairness figure: with a key in use, a flood from 127.0.0.2 (not in the link list)
at full speed, and meanwhile 20 signed datagrams from 127.0.0.1 (listed), one every 100 ms;
how many of the 20 ran within 3 seconds of being sent, and how fast the flood went.

usage: link_flood.py QRXSH [COUNT]
"""
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from qrx_e2e import free_port, signed  # noqa: E402
from quorix_bench import rss_kib  # noqa: E402

VER = "quorix Version 0.50  Torvane quorix"


ROUNDS = 3


def flood(port, count, ran, last_run):
    """Sends the flood and waits until what qrxsh kept has run: (start, end of the runs,
    sending time), the first two on the steady clock in milliseconds."""
    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    datagram = b"127.0.0.1|VER"
    started = time.monotonic()
    started_clock = time.clock_gettime(time.CLOCK_MONOTONIC) * 1000.0
    for _ in range(count):
        sender.sendto(datagram, ("127.0.0.1", port))
    sent_in = time.monotonic() - started
    sender.close()
    # Done when nothing has run for two seconds (a tick runs ten).
    while time.monotonic() - max(last_run[0], started + sent_in) < 2.0:
        time.sleep(0.5)
    finished_clock = (max(last_run[0], started) - started) * 1000.0 + started_clock
    return started_clock, finished_clock, sent_in * 1000.0


def fairness(proc, port, folder, peer_runs, peers=20):
    """The fairness figure, as one line of text."""
    key = os.urandom(32)
    with open(os.path.join(folder, "peer.key"), "wb") as f:
        f.write(key)
    proc.stdin.write(b"SET LINKKEY peer.key\n")
    proc.stdin.flush()
    time.sleep(1.0)
    stop = threading.Event()
    flooded = [0]

    def flood():
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.0.0.2", 0))
        datagram = b"127.0.0.1|VER"
        while not stop.is_set():
            for _ in range(1000):
                try:
                    s.sendto(datagram, ("127.0.0.1", port))
                    flooded[0] += 1
                except OSError:
                    pass
        s.close()

    flooder = threading.Thread(target=flood)
    started = time.monotonic()
    flooder.start()
    time.sleep(0.5)
    sent = {}
    peer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    for i in range(peers):
        sent[str(i)] = time.monotonic()
        peer.sendto(signed(key, f"ANS peer-{i}".encode(), port), ("127.0.0.1", port))
        time.sleep(0.1)
    peer.close()
    time.sleep(3.0)
    stop.set()
    flooder.join()
    rate = flooded[0] / (time.monotonic() - started)
    delays = sorted((peer_runs[i] - t) * 1000.0 for i, t in sent.items() if i in peer_runs)
    in_time = sum(1 for d in delays if d <= 3000.0)
    return (f"fairness: {in_time} of {peers} signed datagrams from a listed peer ran within 3 s "
            f"during a flood of {rate:,.0f} datagrams/s from an unlisted address"
            + (f"; delay median {statistics.median(delays):.0f} ms, longest {delays[-1]:.0f} ms"
               if delays else ""))


def main():
    exe = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    folder = tempfile.mkdtemp(prefix="qrx-link-flood-")
    try:
        shutil.copy(exe, folder)
        shutil.copy(os.path.join(os.path.dirname(exe), "DEF.MSG"), folder)
        config = os.path.join(folder, "QRX_CORE.INI")
        with open(config, "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\n")
        with open(os.path.join(folder, "QRX_CORE.LKD"), "wb") as f:
            f.write(b"127.0.0.1\r\n")
        tick_log = os.path.join(folder, "ticks.txt")
        env = dict(os.environ, QRXSH_TICK_LOG=tick_log)
        proc = subprocess.Popen([os.path.join(folder, os.path.basename(exe)), config], env=env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
        ran = [0]
        last_run = [0.0]
        bound = threading.Event()
        peer_runs = {}

        def read():
            for raw in proc.stdout:
                line = raw.decode("utf-8", "replace").rstrip("\n")
                if "\tpeer-" in line:
                    peer_runs[line.rsplit("peer-", 1)[1]] = time.monotonic()
                elif line.endswith("\t" + VER):
                    ran[0] += 1
                    last_run[0] = time.monotonic()
                elif line.startswith("ANSWER\t3\t") and "ポート" in line:
                    bound.set()

        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        port = free_port()
        proc.stdin.write(f"SET MYPORT {port}\n".encode())
        proc.stdin.flush()
        if not bound.wait(10):
            print("qrxsh did not bind its port")
            return 1
        time.sleep(1.0)
        rss_before = rss_kib(proc.pid)

        rounds = []
        for _ in range(ROUNDS):
            rounds.append(flood(port, count, ran, last_run) + (ran[0], rss_kib(proc.pid)))
            ran[0] = 0
        fair = fairness(proc, port, folder, peer_runs)
        proc.stdin.close()
        proc.wait(timeout=15)
        reader.join(timeout=5)

        with open(tick_log) as f:
            ticks = [float(line) for line in f if line.strip()]
        print(f"VmRSS before the flood:  {rss_before} KiB")
        for i, (started_clock, finished_clock, sent_ms, ran_count, rss) in enumerate(rounds, 1):
            # Steady-clock milliseconds, the same clock as CLOCK_MONOTONIC on Linux.
            window = [t for t in ticks if started_clock - 200 <= t <= finished_clock + 200]
            gaps = [b - a for a, b in zip(window, window[1:])]
            print(f"flood {i}: {count} datagrams sent in {sent_ms:.0f} ms; {ran_count} ran, "
                  f"{count - ran_count} dropped by the socket's buffer; ran within "
                  f"{finished_clock - started_clock:.0f} ms; {len(window)} ticks meanwhile, "
                  f"longest gap {max(gaps):.1f} ms, median {statistics.median(gaps):.1f} ms; "
                  f"VmRSS after {rss} KiB")
        print(fair)
        return 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
