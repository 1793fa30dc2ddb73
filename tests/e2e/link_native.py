#!/usr/bin/env python3
"""LINK and WOL between native qrxsh processes, as a user would run them. On the loopback
interface: a received DEL waits while the user answers the question of their own DEL. Inside
a private network namespace that has only loopback (so LocalIP is 127.0.0.1): the plain
datagram's exact bytes and its run at a copy without a key, the Wake-on-LAN packets byte for
byte, and two copies with one key file that exchange signed lines while forged (raw socket),
replayed, stale, other-key and changed datagrams run nothing and are reported.

Every copy runs in a folder of its own (a copy of qrxsh and DEF.MSG, a configuration that
already holds the running version). Prints one line per failed check and "N passed, N failed".

usage: link_native.py QRXSH                   every scenario; the namespace part runs in a
                                              namespace of its own (unshare -rn)
       link_native.py QRXSH --in-namespace    only the namespace part (run by the above)
"""
import os
import hashlib
import hmac
import random
import re
import shutil
import socket
import struct
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

    def wait_event(self, kind, nth=1, timeout=10.0):
        """The `nth` output line of this kind, waiting for it; None when it does not come."""
        deadline = time.time() + timeout
        with self.changed:
            while True:
                found = [e for e in self.events if e[0] == kind]
                if len(found) >= nth:
                    return found[nth - 1]
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

def scenario_question(exe):
    """A DEL received while the user answers the question of their own DEL waits: the user's
    "y" deletes only the user's file, and the received DEL asks its own question afterwards."""
    b = Shell(exe, "question", [LOOPBACK])
    mine, theirs = os.path.join(b.folder, "mine.txt"), os.path.join(b.folder, "theirs.txt")
    for path in (mine, theirs):
        with open(path, "w") as f:
            f.write("x")
    try:
        port = free_port()
        if not check("question: binds", bind_port(b, port)):
            return
        b.type(f"DEL {mine}")
        if not check("question: the user's DEL asks", b.wait_event("QUESTION") is not None):
            return
        send_from_loopback(port, f"x|DEL {theirs}".encode("cp932"))
        time.sleep(0.5)
        b.type("y")
        second = b.wait_event("QUESTION", nth=2)
        b.type("n")
        check("question: the received DEL asked its own question after the user's answer",
              second is not None and "theirs.txt" in second[-1], repr(second))
        b.type("REM end")
        b.close()
        check("question: the user's file is deleted, the received one is not",
              not os.path.exists(mine) and os.path.exists(theirs))
    finally:
        b.remove()


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
    """The wake-up packet leaves as a broadcast; the byte rules are the unit tests'."""
    capture = Capture("0.0.0.0", 9001)
    a = Shell(exe, "wol")
    try:
        a.type("WOL 00-1A-2B-3C-4D-5E")
        got = capture.next()
        check("WOL: 102 bytes to 255.255.255.255:9001, FF x6 then the address x16",
              got is not None and got[2] == "255.255.255.255"
              and got[0] == magic([0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E]),
              repr(got and (got[0].hex(), got[2])))
    finally:
        capture.close()
        a.remove()


def signed(key, command, port, shift=0):
    """A datagram as a copy with this key signs it (the format of the manual)."""
    stamp, nonce = int(time.time()) + shift, os.urandom(16)
    message = b"QRX1\n%d\n%s\n%d\n" % (stamp, nonce.hex().encode(), port) + command
    tag = hmac.new(key, message, hashlib.sha256).hexdigest()
    return f"QRX1 {stamp} {nonce.hex()} {tag}|".encode() + command


def send_forged(source, port, payload):
    """One UDP datagram to 127.0.0.1 whose IPv4 source is `source`, through a raw socket."""
    udp = struct.pack("!HHHH", 40000, port, 8 + len(payload), 0) + payload
    ip = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), 0, 0, 64, socket.IPPROTO_UDP, 0,
                     socket.inet_aton(source), socket.inet_aton(LOOPBACK))
    s = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW)
    try:
        s.sendto(ip + udp, (LOOPBACK, 0))
    finally:
        s.close()


def scenario_signed(exe):
    """Two copies with one key file exchange signed lines both ways; at the receiver, hostile
    datagrams add nothing to the file, and it answers that it refused datagrams."""
    a = Shell(exe, "key-a", [LOOPBACK])
    b = Shell(exe, "key-b", [LOOPBACK, "10.9.0.1"])
    target = os.path.join(b.folder, "log.txt")

    def lines():
        with open(target, "rb") as f:
            return f.read().decode("cp932").split("\r\n")[:-1] if os.path.exists(target) else []

    def settle(marker):
        """Types an ECHO of a marker once what was sent before has been taken."""
        time.sleep(0.5)
        b.type(f"ECHO {target} {marker}")
        deadline = time.time() + 5
        while marker not in lines() and time.time() < deadline:
            time.sleep(0.1)
    try:
        if not (check("signed: A binds 5000", bind_port(a, 5000))
                and check("signed: B binds 5001", bind_port(b, 5001))):
            return
        # Without a key a forged source address is trusted: the raw socket does reach B.
        send_forged("10.9.0.1", 5001, f"10.9.0.1|ECHO {target} forged-plain".encode())
        settle("m1")
        check("signed: without a key the forged datagram runs (the attack is real)",
              lines() == ["forged-plain", "m1"], repr(lines()))
        a.type("SET LINKKEY NEW")
        made = a.wait_answer(re.compile(r".*QRX_CORE\.KEY.*"))
        key_file = os.path.join(a.folder, "QRX_CORE.KEY")
        check("signed: SET LINKKEY NEW makes a 32-byte key readable by its owner only",
              made is not None and os.path.getsize(key_file) == 32
              and (os.stat(key_file).st_mode & 0o777) == 0o600, repr(made))
        key = open(key_file, "rb").read()
        shutil.copy(key_file, os.path.join(b.folder, "peer.key"))
        b.type("SET LINKKEY peer.key")
        b.wait_answer(message("SET_LINKKEY", A=os.path.join(b.folder, "peer.key")))
        a.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5001", f"LINK ECHO {target} hello")
        b.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5000", "LINK ANS back-to-A")
        deadline = time.time() + 5
        while "hello" not in lines() and time.time() < deadline:
            time.sleep(0.1)
        check("signed: B runs A's ECHO", "hello" in lines(), repr(lines()))
        check("signed: A runs B's line", a.wait_answer("back-to-A") is not None)
        check("signed: the key is in no file but its own",
              not any(key in open(os.path.join(f, n), "rb").read()
                      for f in (a.folder, b.folder) for n in os.listdir(f)
                      if n.endswith((".INI", ".LKD", ".MSG"))))
        # Only what the real network and another HMAC add; the table of hostile datagrams
        # is the unit tests'.
        valid = signed(key, f"ECHO {target} replayed".encode(), 5001)
        hostile = [
            lambda: send_forged("10.9.0.1", 5001, f"10.9.0.1|ECHO {target} forged".encode()),
            lambda: [send_forged("10.9.0.1", 5001, valid) for _ in range(4)],
            lambda: send_from_loopback(
                5001, signed(key, f"ECHO {target} stale".encode(), 5001, -120)),
        ]
        for send in hostile:
            send()
        settle("m2")
        check("signed: forged (raw socket), replayed three times, stale: only the first copy "
              "of the signed one ran",
              lines() == ["forged-plain", "m1", "hello", "replayed", "m2"], repr(lines()))
        refused = b.wait_answer(re.compile(re.escape(message("LINK_REFUSED", A="@", B="@"))
                                           .replace("@", r"\S+")))
        check("signed: B answers that it refused datagrams", refused is not None,
              repr(b.answers()[-4:]))
    finally:
        a.remove()
        b.remove()


def in_namespace(exe):
    for scenario in (scenario_done_when, scenario_wol, scenario_signed):
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
        run(scenario_question, exe)
        run_in_namespace([sys.executable, os.path.abspath(__file__), exe, "--in-namespace"])
    print(f"{wq.passed} passed, {wq.failed} failed")
    return 0 if wq.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
