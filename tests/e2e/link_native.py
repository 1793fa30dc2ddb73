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
import os
import re
import shutil
import socket
import struct
import sys
import time

import qrx_e2e as e2e
from qrx_e2e import LOOPBACK, Capture, Shell, bind_port, check, free_port, magic, message, \
    send_from_loopback, signed


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


def main():
    exe = os.path.abspath(sys.argv[1])
    if sys.argv[2:] == ["--in-namespace"]:
        run(scenario_wol, exe)
        run(scenario_signed, exe)
    else:
        run(scenario_question, exe)
        e2e.run_in_namespace([sys.executable, os.path.abspath(__file__), exe, "--in-namespace"])
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
