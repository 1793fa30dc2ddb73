#!/usr/bin/env python3
"""LINK and WOL of native qrxsh where only the real network shows it. On loopback: a received
DEL waits while the user answers the question of their own DEL. Inside a private network
namespace with only loopback: the Wake-on-LAN broadcast. (Datagram bytes, settings, signed
lines and the table of hostile datagrams: link_test.cpp; the real socket and its source
address: posix_socket_test.cpp; signed lines between real programs, native qrxsh and
quorix.exe under Wine: wine_link.py.)

usage: link_native.py QRXSH                   all; the namespace part in unshare -rn
       link_native.py QRXSH --in-namespace    only the namespace part (run by the above)
"""
import os
import sys
import time

import qrx_e2e as e2e
from qrx_e2e import LOOPBACK, Capture, Shell, bind_port, check, free_port, magic


def question(b):
    """The user's "y" deletes only the user's file; the received DEL asks afterwards."""
    mine, theirs = os.path.join(b.folder, "mine.txt"), os.path.join(b.folder, "theirs.txt")
    for path in (mine, theirs):
        open(path, "w").close()
    port = free_port()
    if not check("question: binds", bind_port(b, port)):
        return
    b.type(f"DEL {mine}")
    if not check("question: the user's DEL asks", b.wait("QUESTION") is not None):
        return
    e2e.send_from_loopback(port, f"x|DEL {theirs}".encode("cp932"))
    time.sleep(0.5)
    b.type("y")
    second = b.wait("QUESTION")
    b.type("n", "REM end")
    b.close()
    check("question: the received DEL asks its own question after the user's answer",
          second is not None and "theirs.txt" in second[-1], repr(second))
    check("question: the user's file is deleted, the received one is not",
          not os.path.exists(mine) and os.path.exists(theirs))


def wol(shell):
    """The wake-up packet leaves as a broadcast; the byte rules are the unit tests'."""
    capture = Capture("0.0.0.0", 9001)
    shell.type("WOL 00-1A-2B-3C-4D-5E")
    got = capture.next()
    capture.close()
    check("WOL: FF x6 then the address x16 to 255.255.255.255:9001",
          got is not None and got[0] == magic([0, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E])
          and got[2] == "255.255.255.255", repr(got))


def main():
    exe = os.path.abspath(sys.argv[1])
    shell = Shell(exe, "link", [LOOPBACK])
    try:
        (wol if sys.argv[2:] == ["--in-namespace"] else question)(shell)
    except Exception as e:  # a broken scenario is one failure
        check("the scenario ran", False, f"{type(e).__name__}: {e}")
    finally:
        shell.remove()
    if sys.argv[2:] != ["--in-namespace"]:
        e2e.run_in_namespace([sys.executable, os.path.abspath(__file__), exe, "--in-namespace"])
    return e2e.summary()


if __name__ == "__main__":
    sys.exit(main())
