#!/usr/bin/env python3
"""LINK between quorix.exe under Wine and a native qrxsh on loopback, both ways: the window
trusts the real sender (Winsock's), not the address a datagram claims; with one key file on
both sides it exchanges signed lines (CNG's HMAC against libsodium's), and it stays responsive
under a flood from an unlisted address. (Replayed, stale and unsigned datagrams, and received
lines in the history: SignedLinkTest and LinkTest.) And inside a private network
namespace with only loopback, qrxsh.exe under Wine sends the Wake-on-LAN packets and its LINK
datagram, captured byte for byte (sockets belong to the Wine server, so a fresh one is started
in the namespace and ended again).

usage: wine_link.py WINDOWS_BUILD_DIR NATIVE_BUILD_DIR
       wine_link.py WINDOWS_BUILD_DIR --in-namespace     (the namespace part, run by the above)
"""
import os
import re
import socket
import sys
import threading

import qrx_e2e as e2e
import wine_quorix as wq
from qrx_e2e import LOOPBACK, check


def flood(port, count):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.2", 0))  # an address the link list does not hold
    try:
        for i in range(count):
            try:
                s.sendto(f"x|ANS flood-{i} -1".encode("ascii"), (LOOPBACK, port))
            except OSError:
                pass  # the receiver's buffer is full: the datagram is dropped
    finally:
        s.close()


def scenario_exchange(native_exe, folder):
    q = wq.Quorix(folder)
    with open(os.path.join(folder, "QRX_CORE.LKD"), "wb") as f:
        f.write(e2e.cp932_text(["192.168.1.10"]))
    shell = None
    try:
        if q.start("link", ["wait-answer", wq.message("SYSTEM_START", A=wq.PRODUCT,
                                                      B=wq.VERSION), "5000"]) is None:
            return
        pw, pn = e2e.free_port(), e2e.free_port()
        key_file = os.path.join(folder, "peer.key")
        with open(key_file, "wb") as f:
            f.write(os.urandom(32))

        def set_all(*settings):
            return all(q.enter(f"quorix.exe: SET {name} {value}", f"SET {name} {value}",
                               ["wait-answer", wq.message(answer, A=value), "10000"]) is not None
                       for name, value, answer in settings)

        if not set_all(("MYPORT", str(pw), "SET_MYPORT")):
            return
        # The text claims the listed address; the datagram comes from 127.0.0.1, not listed.
        q.enter("quorix.exe: a kept answer", "ANS before -1", ["wait-answer", "before", "5000"])
        for claimed in ("192.168.1.10", "127.0.0.1"):
            e2e.send_from_loopback(pw, f"{claimed}|ANS spoofed".encode("ascii"))
        q.steps("quorix.exe: a datagram claiming a listed address it does not come from runs "
                "nothing", ["sleep", "1500"], ["answer"], want=lambda out: out == ["before"])
        if not set_all(("LL", LOOPBACK, "LL_ADD"), ("LINKIP", LOOPBACK, "SET_LINKIP"),
                       ("LINKPORT", str(pn), "SET_LINKPORT"),
                       ("LINKKEY", wq.windows_path(key_file), "SET_LINKKEY")):
            return

        shell = e2e.Shell(native_exe, "wine-peer", [LOOPBACK])
        if not check("qrxsh binds its port", e2e.bind_port(shell, pn)):
            return
        shell.type(f"SET LINKKEY {key_file}", "SET LINKIP 127.0.0.1", f"SET LINKPORT {pw}",
                   "LINK ANS from-native")
        q.steps("native qrxsh -> quorix.exe, signed: the window runs the received line",
                ["wait-answer", "from-native", "10000"])
        q.enter("quorix.exe -> native qrxsh: LINK answers LINK_SEND", "LINK ANS from-wine",
                ["wait-answer", wq.message("LINK_SEND", A="ANS from-wine"), "5000"])
        check("quorix.exe -> native qrxsh, signed: qrxsh runs the line",
              shell.wait_answer("from-wine") is not None, repr(shell.events[-3:]))

        # A flood from an unlisted address: the window keeps answering, and works on.
        sender = threading.Thread(target=flood, args=(pw, 5000))
        sender.start()
        out = q.steps("during a flood of 5,000 datagrams the window answers WM_GETTEXT within "
                      "a second", ["ping", "20", "50", "1000"])
        sender.join()
        if out:
            print(f"note: slowest WM_GETTEXT round trip during the flood: {out[-1]} ms")
        shell.type("LINK ANS after-flood")
        q.steps("after the flood the window still runs received lines",
                ["wait-answer", "after-flood", "20000"])
        q.close("quorix.exe")
    finally:
        if shell:
            shell.remove()
        q.stop()


# ---- inside a private network namespace ----------------------------------------------------

def scenario_namespace(build, folder):
    capture = e2e.Capture("0.0.0.0", 9001)
    peer = e2e.Capture(LOOPBACK, 5001)
    try:
        folder = e2e.make_folder(folder, os.path.join(build, "qrxsh.exe"), e2e.REAL_CATALOGUE)
        out = e2e.run_lines(["wine", os.path.join(folder, "qrxsh.exe")], [
            "SET LINKIP 127.0.0.1", "SET LINKPORT 5001",
            "WOL 00-1A-2B-3C-4D-5E", "WOL 00-100-2B-FFFF-10000-ZZ", "WOL 001A2B3C4D5E",
            "SET MYPORT 5000", "LINK VER", "ANS [#A][#B]", "WOL aa:bb:cc:dd:ee:ff"], folder)
        packets = list(iter(lambda: capture.next(timeout=2), None))
        want = [e2e.magic(six) for six in ([0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E],
                                           [0, 0, 0x2B, 0xFF, 0, 0], [0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF])]
        check("qrxsh.exe under Wine: WOL sends the three packets byte for byte to "
              "255.255.255.255:9001, before and after MYPORT, and nothing for a bad address",
              [p[0] for p in packets] == want and all(p[2] == "255.255.255.255" for p in packets),
              repr([(p[0].hex(), p[2]) for p in packets]))
        check("qrxsh.exe under Wine: MYPORT after WOL still binds",
              wq.message("SET_MYPORT", A="5000") in [t for _, t in e2e.answers(out.stdout)],
              repr(out.stdout))
        got = peer.next(timeout=2)
        check("qrxsh.exe under Wine: LINK VER goes to the peer set before WOL, as LocalIP|VER",
              got and re.fullmatch(rb"\d+\.\d+\.\d+\.\d+\|VER", got[0]), repr(got))
    finally:
        capture.close()
        peer.close()


def main():
    wq.BUILD = sys.argv[1]
    if sys.argv[2:] == ["--in-namespace"]:
        return wq.run_scenarios((lambda folder: scenario_namespace(wq.BUILD, folder),),
                                "qrx-wine-link-ns-", ("qrxsh.exe",))
    # Sockets belong to the Wine server: a fresh one starts in the namespace and ends there.
    e2e.run_in_namespace([sys.executable, os.path.abspath(__file__), wq.BUILD, "--in-namespace"],
                        prelude="wineserver -k 2>/dev/null;", timeout=400)
    native = os.path.join(sys.argv[2], "qrxsh")
    check("the native qrxsh is built", os.path.exists(native), native)
    return wq.run_scenarios((lambda folder: scenario_exchange(native, folder),),
                            "qrx-wine-link-", ("quorix.exe", "quorix_driver.exe", "qrxsh.exe"))


if __name__ == "__main__":
    sys.exit(main())
