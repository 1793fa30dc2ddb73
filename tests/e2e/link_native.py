#!/usr/bin/env python3
"""LINK and WOL between native qrxsh processes, as a user would run them, on the loopback
interface only: two copies exchange LINK VER, a datagram whose text claims a listed address
that it does not come from runs nothing, MYPORT binds once, and, inside a private network
namespace that has only loopback (so LocalIP is 127.0.0.1), the datagram's exact bytes and
the Wake-on-LAN packets are captured byte for byte.

Every copy runs in a folder of its own (a copy of qrxsh and DEF.MSG, a configuration that
already holds the running version). Prints one line per failed check and "N passed, N failed".

usage: link_native.py QRXSH                   every scenario; the namespace part runs in a
                                              namespace of its own (unshare -rn)
       link_native.py QRXSH --in-namespace    only the namespace part (run by the above)
"""
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, HERE)
import wine_quorix as wq  # noqa: E402  (the checks, the INI reader and the catalogue)
LOOPBACK = "127.0.0.1"
IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)  # the Linux value where Python lacks the name
VERSION_BANNER = "quorix Version 0.50  Torvane quorix"

wq.SOURCE = SOURCE
check = wq.check
message = wq.message
read_ini = wq.read_ini


def unescape(field):
    return re.sub(r"\\(x[0-9A-F]{2}|.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(
        m.group(1), chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x" and len(m.group(1)) == 3
        else m.group(1)), field)


def free_port():
    """A UDP port from 20000 to 32000 that nobody on 127.0.0.1 holds right now (quorix ports
    go up to 32767, below the system's range of passing ports)."""
    for _ in range(200):
        port = random.randint(20000, 32000)
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            probe.bind(("0.0.0.0", port))
            return port
        except OSError:
            continue
        finally:
            probe.close()
    raise RuntimeError("no free UDP port")


class Shell:
    """One native qrxsh in a folder of its own, fed line by line."""

    def __init__(self, exe, name, link_list=None):
        self.folder = tempfile.mkdtemp(prefix=f"qrx-link-{name}-")
        shutil.copy(exe, self.folder)
        shutil.copy(os.path.join(SOURCE, "data", "DEF.MSG"), self.folder)
        self.config = os.path.join(self.folder, "QRX_CORE.INI")
        with open(self.config, "wb") as f:
            f.write(b"[SYSTEM]\r\nVersion=0.50\r\n")
        if link_list is not None:
            self.put_list(link_list)
        self.events = []
        self.changed = threading.Condition()
        self.proc = subprocess.Popen([os.path.join(self.folder, os.path.basename(exe)), self.config],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def put_list(self, lines):
        with open(os.path.join(self.folder, "QRX_CORE.LKD"), "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode("cp932"))

    def _read(self):
        for raw in self.proc.stdout:
            fields = [unescape(f) for f in raw.decode("utf-8", "replace").rstrip("\n").split("\t")]
            with self.changed:
                self.events.append(fields)
                self.changed.notify_all()

    def type(self, *lines):
        for line in lines:
            self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()

    def answers(self):
        with self.changed:
            return [e[2] for e in self.events if e[0] == "ANSWER" and len(e) > 2]

    def wait_answer(self, text, timeout=10.0, after=0):
        """True when the answer `text` (or one that matches it, for a compiled pattern) comes
        among the answers from number `after` on."""
        deadline = time.time() + timeout
        with self.changed:
            while True:
                found = [a for a in [e[2] for e in self.events if e[0] == "ANSWER"][after:]
                         if (text.fullmatch(a) if isinstance(text, re.Pattern) else a == text)]
                if found:
                    return found[0]
                left = deadline - time.time()
                if left <= 0:
                    return None
                self.changed.wait(left)

    def close(self):
        """Ends the input (the window closes, the history is saved) and the process."""
        try:
            self.proc.stdin.close()
            self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.reader.join(timeout=5)
        return read_ini(self.config)

    def remove(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def bind_port(shell, port):
    shell.type(f"SET MYPORT {port}")
    return shell.wait_answer(message("SET_MYPORT", A=str(port))) is not None


def send_from_loopback(port, data):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        s.sendto(data, (LOOPBACK, port))
    finally:
        s.close()


def history(ini):
    return {k[1]: v for k, v in ini.items() if k[0] == "SYSTEM" and k[1].startswith("HIS")}


# ---- on the host's loopback interface ------------------------------------------------------

def scenario_exchange(exe):
    """Two copies send each other LINK VER; the receiver runs it and records it."""
    a = Shell(exe, "a", [LOOPBACK])
    b = Shell(exe, "b", [LOOPBACK])
    try:
        pa, pb = free_port(), free_port()
        if not (check("exchange: A binds its port", bind_port(a, pa))
                and check("exchange: B binds its port", bind_port(b, pb))):
            return
        seen = len(b.answers())
        a.type(f"SET LINKIP {LOOPBACK}", f"SET LINKPORT {pb}", "LINK VER", "ANS [#A][#B]")
        sent = a.wait_answer(re.compile(r"\[VER\]\[\d+\.\d+\.\d+\.\d+\|\]"))
        check("exchange: A answers LINK_SEND with #A VER and #B its own address and the bar",
              sent is not None and a.wait_answer(message("LINK_SEND", A="VER")) is not None,
              repr(a.answers()[-3:]))
        check("exchange: B runs VER", b.wait_answer(VERSION_BANNER, after=seen) is not None,
              repr(b.answers()))
        # And back: B sends to A.
        b.type(f"SET LINKIP {LOOPBACK}", f"SET LINKPORT {pa}", "LINK ANS back-to-A")
        check("exchange: A runs what B sends", a.wait_answer("back-to-A") is not None,
              repr(a.answers()))
        b.type("REM after")
        b.wait_answer(message("LINK_SEND", A="ANS back-to-A"))
        his_b = history(b.close())
        check("exchange: B's history holds VER, received, right before its own LINK lines",
              [his_b.get(f"HIS{i}") for i in (2, 3, 4, 5, 6)]
              == ["LINK ANS back-to-A", "SET LINKPORT " + str(pa), "SET LINKIP " + LOOPBACK,
                  "VER", f"SET MYPORT {pb}"], repr(his_b))
        a.type("REM after")
        his_a = history(a.close())
        check("exchange: A records the received line in its history",
              his_a.get("HIS2") == "ANS back-to-A", repr(his_a))
    finally:
        a.remove()
        b.remove()


def scenario_trust(exe):
    """Only the address a datagram comes from counts, never the address its text claims."""
    b = Shell(exe, "trust", ["192.168.1.10", "127.0.0.1 ", "10.0.0.1"])
    try:
        port = free_port()
        if not check("trust: binds", bind_port(b, port)):
            return
        seen = len(b.answers())
        for claimed in ("192.168.1.10", "10.0.0.1", "127.0.0.1"):
            send_from_loopback(port, f"{claimed}|ANS spoofed {claimed}".encode("cp932"))
        send_from_loopback(port, b"127.0.0.1 ANS no bar")
        # A line typed after them runs after they have been taken (the tick takes them
        # within 100 ms; the wait makes sure).
        time.sleep(0.5)
        b.type("ANS marker")
        b.wait_answer("marker")
        check("trust: claimed listed addresses from 127.0.0.1 run nothing (127.0.0.1 is listed "
              "only with a trailing blank)", b.answers()[seen:] == ["marker"], repr(b.answers()))
        b.type("SET LL 127.0.0.1")
        b.wait_answer(message("LL_ADD", A="127.0.0.1"))
        send_from_loopback(port, "192.168.1.99|ANS genuine-本物".encode("cp932"))
        check("trust: once 127.0.0.1 is listed, its datagram runs whatever address it claims",
              b.wait_answer("genuine-本物") is not None, repr(b.answers()))
        b.type("REM end")
        b.wait_answer("genuine-本物")
        his = history(b.close())
        check("trust: only the genuine line entered the history",
              his.get("HIS2") == "ANS genuine-本物"
              and not any("spoofed" in v for v in his.values()), repr(his))
    finally:
        b.remove()


def scenario_empty_list(exe):
    b = Shell(exe, "empty")
    try:
        port = free_port()
        if not check("empty list: binds", bind_port(b, port)):
            return
        seen = len(b.answers())
        send_from_loopback(port, b"127.0.0.1|ANS nobody")
        time.sleep(0.5)
        b.type("ANS marker")
        b.wait_answer("marker")
        check("empty list: nothing runs", b.answers()[seen:] == ["marker"], repr(b.answers()))
    finally:
        b.remove()


def scenario_myport_once(exe):
    a = Shell(exe, "myport", [LOOPBACK])
    holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        used = free_port()
        holder.bind(("0.0.0.0", used))
        a.type(f"SET MYPORT {used}")
        refused = a.wait_answer(re.compile(re.escape(
            message("SET_MYPORT-ERR", A=str(used), B="@")).replace("@", r".*\(98\)")))
        check("MYPORT on a port in use answers SET_MYPORT-ERR with the system's reason",
              refused is not None, repr(a.answers()[-2:]))
        first, second = free_port(), free_port()
        if not check("MYPORT after a refused port binds another", bind_port(a, first)):
            return
        a.type(f"SET MYPORT {second}")
        check("a second MYPORT answers SET_MYPORT-ERR (already set)",
              a.wait_answer(message("SET_MYPORT-ERR", A=str(second),
                                    B=message("SET_MYPORT-BOUND"))) is not None,
              repr(a.answers()[-2:]))
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            probe.bind(("0.0.0.0", first))
            still_bound = False
        except OSError:
            still_bound = True
        probe.close()
        check("the first port stays bound", still_bound)
        send_from_loopback(first, b"x|ANS still-listening")
        check("the first port still receives", a.wait_answer("still-listening") is not None)
    finally:
        holder.close()
        a.remove()


# ---- inside a private network namespace with only loopback ------------------------------

class Capture:
    """A receiver on a UDP port that also learns each datagram's destination address."""

    def __init__(self, address, port):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.IPPROTO_IP, IP_PKTINFO, 1)
        self.sock.bind((address, port))
        self.sock.settimeout(5)

    def next(self, timeout=5):
        """(bytes, source address, destination address) or None."""
        self.sock.settimeout(timeout)
        try:
            data, ancillary, _, source = self.sock.recvmsg(65536, 256)
        except socket.timeout:
            return None
        destination = None
        for level, kind, value in ancillary:
            if level == socket.IPPROTO_IP and kind == IP_PKTINFO:
                destination = socket.inet_ntoa(value[8:12])
        return data, source[0], destination

    def close(self):
        self.sock.close()


def magic(six):
    return b"\xff" * 6 + bytes(six) * 16


def scenario_done_when(exe):
    """SET MYPORT 5000, LINKIP 127.0.0.1, LINKPORT 5001, LINK VER sends 127.0.0.1|VER;
    a copy on 5001 with 127.0.0.1 listed runs VER as its newest history entry."""
    a = Shell(exe, "ns-a")
    capture = Capture(LOOPBACK, 5001)
    try:
        if not check("namespace: SET MYPORT 5000", bind_port(a, 5000)):
            return
        a.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5001", "LINK VER", "ANS [#A][#B]")
        got = capture.next()
        check("namespace: LINK VER sends exactly 127.0.0.1|VER to 127.0.0.1:5001",
              got is not None and got[0] == b"127.0.0.1|VER" and got[2] == LOOPBACK, repr(got))
        check("namespace: the answer is LINK_SEND with #A VER and #B 127.0.0.1|",
              a.wait_answer(message("LINK_SEND", A="VER")) is not None
              and a.wait_answer("[VER][127.0.0.1|]") is not None, repr(a.answers()[-3:]))
        capture.close()
        capture = None
        b = Shell(exe, "ns-b", [LOOPBACK])
        try:
            if not check("namespace: the copy binds 5001", bind_port(b, 5001)):
                return
            seen = len(b.answers())
            a.type("LINK VER")
            check("namespace: the copy on 5001 runs VER",
                  b.wait_answer(VERSION_BANNER, after=seen) is not None, repr(b.answers()))
            b.type("REM end")
            b.wait_answer(VERSION_BANNER, after=seen)
            his = history(b.close())
            check("namespace: VER was the newest history entry before the line typed after it",
                  his.get("HIS2") == "VER", repr(his))
        finally:
            b.remove()
    finally:
        if capture:
            capture.close()
        a.remove()


def scenario_wol(exe):
    capture = Capture("0.0.0.0", 9001)
    a = Shell(exe, "wol")
    try:
        # The LINK peer is set first; WOL must leave it alone.
        a.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5001")
        cases = [
            ("00-1A-2B-3C-4D-5E", [0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E]),
            ("00:1a:2b:3c:4d:5e", [0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E]),
            ("00-1A-2B-3C-4D-ZZ", [0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x00]),
            ("00-100-2B-FFFF-10000-5E", [0x00, 0x00, 0x2B, 0xFF, 0x00, 0x5E]),
            ("AA BB CC DD EE FF 11", [0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF]),
        ]
        for address, six in cases:
            seen = len(a.answers())
            a.type(f"WOL {address}")
            got = capture.next()
            check(f"WOL {address}: 102 bytes to 255.255.255.255:9001, FF x6 then the address x16",
                  got is not None and got[0] == magic(six) and got[2] == "255.255.255.255",
                  repr(got and (got[0].hex(), got[2])))
            check(f"WOL {address}: answers WOL_SEND",
                  a.wait_answer(message("WOL_SEND"), after=seen) is not None)
        for address in ("001A2B3C4D5E", "1-22-33-44-55-66"):
            seen = len(a.answers())
            a.type(f"WOL {address}")
            check(f"WOL {address}: answers WOL_ERR",
                  a.wait_answer(message("WOL_ERR"), after=seen) is not None)
            check(f"WOL {address}: sends nothing", capture.next(timeout=0.5) is None)
        # Without MYPORT so far: the port is still free, and LINK goes to the peer set before.
        peer = Capture(LOOPBACK, 5001)
        try:
            check("after WOL, SET MYPORT 5000 still binds", bind_port(a, 5000))
            a.type("LINK VER")
            got = peer.next()
            check("after WOL, LINK goes to the peer set before it (127.0.0.1:5001)",
                  got is not None and got[0] == b"127.0.0.1|VER", repr(got))
            a.type("WOL 00-1A-2B-3C-4D-5E")
            got = capture.next()
            check("WOL also works once MYPORT is set",
                  got is not None and got[0] == magic([0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E]),
                  repr(got))
        finally:
            peer.close()
    finally:
        capture.close()
        a.remove()


def in_namespace(exe):
    for scenario in (scenario_done_when, scenario_wol):
        run(scenario, exe)


def run_in_namespace(command, prelude="", timeout=300):
    """Runs a command that prints "N passed, N failed" last inside a private network
    namespace with only loopback (and the limited broadcast routed to it), shows its output
    and adds up its results. The shell commands of `prelude` run there before and after it."""
    inner = ("ip link set lo up && ip route add 255.255.255.255/32 dev lo || exit 2; "
             + prelude + " \"$@\"; rc=$?; " + prelude + " exit $rc")
    proc = subprocess.run(["unshare", "-rn", "sh", "-c", inner, "sh"] + command,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
    out = proc.stdout.decode("utf-8", "replace")
    summary = re.search(r"(\d+) passed, (\d+) failed\s*$", out)
    sys.stdout.write(out[:summary.start()] if summary else out)
    if check("the namespace part ran", summary is not None and proc.returncode in (0, 1),
             f"exit code {proc.returncode}"):
        wq.passed += int(summary.group(1))
        wq.failed += int(summary.group(2))


def run(scenario, exe):
    try:
        scenario(exe)
    except Exception as e:  # a broken scenario is one failure, the others still run
        check(scenario.__name__, False, f"{type(e).__name__}: {e}")


def main():
    exe = os.path.abspath(sys.argv[1])
    if not os.path.exists(exe):
        print(f"FAIL: {exe} not found (build the native preset)")
        print("0 passed, 1 failed")
        return 1
    if sys.argv[2:] == ["--in-namespace"]:
        in_namespace(exe)
    else:
        for scenario in (scenario_exchange, scenario_trust, scenario_empty_list,
                         scenario_myport_once):
            run(scenario, exe)
        run_in_namespace([sys.executable, os.path.abspath(__file__), exe, "--in-namespace"])
    print(f"{wq.passed} passed, {wq.failed} failed")
    return 0 if wq.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
