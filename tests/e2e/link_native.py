#!/usr/bin/env python3
"""LINK and WOL between native qrxsh processes where only the real network shows it. On
loopback: a received DEL waits while the user answers the question of their own DEL. Inside
a private network namespace with only loopback: the Wake-on-LAN broadcast, and two copies
that exchange plain lines, then signed ones with one key file, while forged (raw socket),
replayed and stale datagrams run nothing and are reported. (Datagram bytes, settings and the
table of hostile datagrams: link_test.cpp; the real socket: posix_socket_test.cpp.)

usage: link_native.py QRXSH                   all; the namespace part in unshare -rn
       link_native.py QRXSH --in-namespace    only the namespace part (run by the above)
"""
import hashlib
import hmac
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

import qrx_e2e as e2e
from qrx_e2e import check, free_port, message, unescape  # noqa: F401  (wine_link.py's)

LOOPBACK = "127.0.0.1"
IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)  # the Linux value where Python lacks the name


class Shell(e2e.Qrxsh):
    """One qrxsh in a folder of its own (delivered catalogue), its link list given."""

    def __init__(self, exe, name, link_list=()):
        self.folder = e2e.make_folder(tempfile.mkdtemp(prefix=f"qrx-link-{name}-"), exe,
                                      e2e.REAL_CATALOGUE)
        with open(os.path.join(self.folder, "QRX_CORE.LKD"), "wb") as f:
            f.write(e2e.cp932_text(link_list))
        super().__init__([os.path.join(self.folder, "qrxsh"),
                          os.path.join(self.folder, "QRX_CORE.INI")])

    def answers(self):
        return [e[2] for e in self.events if e[0] == "ANSWER" and len(e) > 2]

    def wait_answer(self, text, timeout=10.0):
        found = self.wait("ANSWER", text, timeout)
        return found and found[-1]

    def remove(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(os.path.dirname(self.folder), ignore_errors=True)


def bind_port(shell, port):
    shell.type(f"SET MYPORT {port}")
    return shell.wait_answer(message("SET_MYPORT", A=str(port))) is not None


def send_from_loopback(port, data):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.sendto(data, (LOOPBACK, port))


class Capture:
    """A receiver on a UDP port that also learns each datagram's destination address."""

    def __init__(self, address, port):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.IPPROTO_IP, IP_PKTINFO, 1)
        self.sock.bind((address, port))

    def next(self, timeout=5):
        """(bytes, source address, destination address) or None."""
        self.sock.settimeout(timeout)
        try:
            data, ancillary, _, source = self.sock.recvmsg(65536, 256)
        except socket.timeout:
            return None
        to = [socket.inet_ntoa(v[8:12]) for level, kind, v in ancillary if kind == IP_PKTINFO]
        return data, source[0], to[0] if to else None

    def close(self):
        self.sock.close()


def magic(six):
    return b"\xff" * 6 + bytes(six) * 16


def scenario_question(exe, shells):
    """The user's "y" deletes only the user's file; the received DEL asks afterwards."""
    b = shells(Shell(exe, "question", [LOOPBACK]))
    mine, theirs = os.path.join(b.folder, "mine.txt"), os.path.join(b.folder, "theirs.txt")
    for path in (mine, theirs):
        open(path, "w").close()
    port = free_port()
    if not check("question: binds", bind_port(b, port)):
        return
    b.type(f"DEL {mine}")
    if not check("question: the user's DEL asks", b.wait("QUESTION") is not None):
        return
    send_from_loopback(port, f"x|DEL {theirs}".encode("cp932"))
    time.sleep(0.5)
    b.type("y")
    second = b.wait("QUESTION")
    b.type("n", "REM end")
    b.close()
    check("question: the received DEL asks its own question after the user's answer",
          second is not None and "theirs.txt" in second[-1], repr(second))
    check("question: the user's file is deleted, the received one is not",
          not os.path.exists(mine) and os.path.exists(theirs))


def scenario_wol(exe, shells):
    """The wake-up packet leaves as a broadcast; the byte rules are the unit tests'."""
    capture = Capture("0.0.0.0", 9001)
    shells(Shell(exe, "wol")).type("WOL 00-1A-2B-3C-4D-5E")
    got = capture.next()
    capture.close()
    check("WOL: FF x6 then the address x16 to 255.255.255.255:9001",
          got is not None and got[0] == magic([0, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E])
          and got[2] == "255.255.255.255", repr(got))


def signed(key, command, port, shift=0):
    """A datagram as a copy with this key signs it (the format of the manual)."""
    stamp, nonce = int(time.time()) + shift, os.urandom(16)
    text = b"QRX1\n%d\n%s\n%d\n" % (stamp, nonce.hex().encode(), port) + command
    tag = hmac.new(key, text, hashlib.sha256).hexdigest()
    return f"QRX1 {stamp} {nonce.hex()} {tag}|".encode() + command


def send_forged(source, port, payload):
    """One UDP datagram to 127.0.0.1 whose IPv4 source is `source`, through a raw socket."""
    udp = struct.pack("!HHHH", 40000, port, 8 + len(payload), 0) + payload
    ip = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), 0, 0, 64, socket.IPPROTO_UDP, 0,
                     socket.inet_aton(source), socket.inet_aton(LOOPBACK))
    with socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW) as s:
        s.sendto(ip + udp, (LOOPBACK, 0))


def scenario_signed(exe, shells):
    """Plain, then signed lines both ways; at the receiver hostile datagrams add nothing to
    the file, and it answers that it refused datagrams."""
    a, b = shells(Shell(exe, "a", [LOOPBACK])), shells(Shell(exe, "b", [LOOPBACK, "10.9.0.1"]))
    target = os.path.join(b.folder, "log.txt")

    def lines():
        return open(target, "rb").read().decode("cp932").split("\r\n")[:-1] \
            if os.path.exists(target) else []

    def settle(marker):
        """An ECHO of a marker once what was sent before has been taken."""
        time.sleep(0.5)
        b.type(f"ECHO {target} {marker}")
        e2e.wait_for(lambda: marker in lines(), 5)

    if not (check("A binds 5000", bind_port(a, 5000)) and check("B binds 5001", bind_port(b, 5001))):
        return
    a.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5001", f"LINK ECHO {target} plain")
    send_forged("10.9.0.1", 5001, f"10.9.0.1|ECHO {target} forged-plain".encode())
    settle("m1")
    check("without a key the plain line runs, and so does a forged one (the attack is real)",
          sorted(lines()[:2]) == ["forged-plain", "plain"] and lines()[2:] == ["m1"], repr(lines()))
    a.type("SET LINKKEY NEW")
    made = a.wait_answer(re.compile(r".*QRX_CORE\.KEY.*"))
    key_file = os.path.join(a.folder, "QRX_CORE.KEY")
    check("SET LINKKEY NEW makes a 32-byte key readable by its owner only",
          made is not None and os.path.getsize(key_file) == 32
          and (os.stat(key_file).st_mode & 0o777) == 0o600, repr(made))
    key = open(key_file, "rb").read()
    shutil.copy(key_file, os.path.join(b.folder, "peer.key"))
    b.type("SET LINKKEY peer.key")
    b.wait_answer(message("SET_LINKKEY", A=os.path.join(b.folder, "peer.key")))
    a.type(f"LINK ECHO {target} hello")
    b.type("SET LINKIP 127.0.0.1", "SET LINKPORT 5000", "LINK ANS back-to-A")
    check("signed: B runs A's ECHO", e2e.wait_for(lambda: "hello" in lines(), 5), repr(lines()))
    check("signed: A runs B's line", a.wait_answer("back-to-A") is not None)
    valid = signed(key, f"ECHO {target} replayed".encode(), 5001)
    send_forged("10.9.0.1", 5001, f"10.9.0.1|ECHO {target} forged".encode())
    for _ in range(4):
        send_forged("10.9.0.1", 5001, valid)
    send_from_loopback(5001, signed(key, f"ECHO {target} stale".encode(), 5001, -120))
    settle("m2")
    check("forged (raw socket), replayed three times, stale: only the first copy of the "
          "signed one ran", lines()[3:] == ["hello", "replayed", "m2"], repr(lines()))
    refused = re.escape(message("LINK_REFUSED", A="@", B="@")).replace("@", r"\S+")
    check("B answers that it refused datagrams", b.wait_answer(re.compile(refused)))


def run(scenario, exe):
    made = []
    try:
        scenario(exe, lambda shell: made.append(shell) or shell)
    except Exception as e:  # a broken scenario is one failure, the others still run
        check(scenario.__name__, False, f"{type(e).__name__}: {e}")
    for shell in made:
        shell.remove()


def run_in_namespace(command, prelude="", timeout=300):
    """Runs a command that prints "N passed, N failed" last inside a private network
    namespace with only loopback (the limited broadcast routed to it), shows its output and
    adds its results to the caller's (wine_quorix's where the caller counts there). The
    shell commands of `prelude` run there before and after it."""
    inner = ("ip link set lo up && ip route add 255.255.255.255/32 dev lo || exit 2; "
             + prelude + ' "$@"; rc=$?; ' + prelude + " exit $rc")
    proc = subprocess.run(["unshare", "-rn", "sh", "-c", inner, "sh"] + command,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
    out = proc.stdout.decode("utf-8", "replace")
    found = re.search(r"(\d+) passed, (\d+) failed\s*$", out)
    sys.stdout.write(out[:found.start()] if found else out)
    ran = found is not None and proc.returncode in (0, 1)
    if not ran:
        print(f"FAIL: the namespace part ran: exit code {proc.returncode}")
    passed, failed = (int(found.group(1)), int(found.group(2))) if ran else (0, 1)
    wq = sys.modules.get("wine_quorix")
    if wq:
        wq.passed, wq.failed = wq.passed + passed, wq.failed + failed
    else:
        e2e.counts[0], e2e.counts[1] = e2e.counts[0] + passed, e2e.counts[1] + failed


def main():
    exe = os.path.abspath(sys.argv[1])
    if sys.argv[2:] == ["--in-namespace"]:
        run(scenario_wol, exe)
        run(scenario_signed, exe)
    else:
        run(scenario_question, exe)
        run_in_namespace([sys.executable, os.path.abspath(__file__), exe, "--in-namespace"])
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
