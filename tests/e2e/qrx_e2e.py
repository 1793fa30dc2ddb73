"""What the end-to-end checks share: counted checks, a run folder, the line runner fed line by
line or all at once, the catalogue and INI readers, waiting, free ports, and for LINK a
qrxsh of its own, signed datagrams, a capturing receiver and a private network namespace."""
import hashlib
import hmac
import os
import random
import re
import shutil
import socket
import subprocess
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
LOOPBACK = "127.0.0.1"
IP_PKTINFO = getattr(socket, "IP_PKTINFO", 8)  # the Linux value where Python lacks the name
REAL_CATALOGUE = os.path.join(SOURCE, "data", "DEF.MSG")
TEST_CATALOGUE = os.path.join(HERE, "transcripts", "DEF.MSG.txt")
CONFIG = b"[SYSTEM]\r\nVersion=0.50\r\n"
counts = [0, 0]  # passed, failed


def check(name, ok, detail=""):
    counts[0 if ok else 1] += 1
    if not ok:
        print(f"FAIL: {name}" + (f": {detail}" if detail else ""))
    return ok


def summary():
    print(f"{counts[0]} passed, {counts[1]} failed")
    return 1 if counts[1] or not counts[0] else 0


def wait_for(probe, timeout=10.0):
    """What the probe gives once it is true; None when it never is within the time."""
    end = time.time() + timeout
    while True:
        found = probe()
        if found:
            return found
        if time.time() > end:
            return None
        time.sleep(0.05)


def win_path(path):
    return "Z:" + path.replace("/", "\\")


def cp932_text(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def make_folder(parent, exe=None, catalogue=TEST_CATALOGUE, config=CONFIG):
    """A run folder in `parent`: a copy of the program, DEF.MSG (the delivered one, the test
    one of the transcripts, or the given lines) and QRX_CORE.INI (None: none)."""
    folder = tempfile.mkdtemp(dir=parent)
    if exe:
        shutil.copy(exe, folder)
    target = os.path.join(folder, "DEF.MSG")
    if catalogue == REAL_CATALOGUE:
        shutil.copy(catalogue, target)
    elif catalogue:
        if isinstance(catalogue, str):
            with open(catalogue, encoding="utf-8") as f:
                catalogue = f.read().replace("\r\n", "\n").split("\n")[:-1]
        with open(target, "wb") as f:
            f.write(cp932_text(catalogue))
    if config is not None:
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(config)
    return folder


def unescape(field):
    """Undoes the line runner's escapes (\\\\ \\t \\r \\n \\xHH)."""
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                  if m.group(1)[0] == "x" else {"t": "\t", "r": "\r", "n": "\n"}.get(
                      m.group(1), m.group(1)), field)


def events(stdout):
    text = stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    return [[unescape(f) for f in line.split("\t")] for line in text.splitlines()]


def answers(stdout):
    """[(time, text)] of the ANSWER events."""
    return [(int(e[1]), e[2]) for e in events(stdout) if e[0] == "ANSWER" and len(e) > 2]


def command(exe, wine, *args):
    return (["wine", exe] if wine else [exe]) + list(args)


def run_lines(cmd, lines, folder, env=None, timeout=180):
    """Runs the line runner on the lines (or bytes) at once; the finished process. Its output
    goes through files: Wine's services, started by the first Wine program of a prefix,
    inherit the handles and would keep a pipe open."""
    data = lines if isinstance(lines, bytes) else "".join(l + "\n" for l in lines).encode()
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(cmd, input=data, stdout=out, stderr=err, cwd=folder, env=env,
                              timeout=timeout)
        out.seek(0)
        err.seek(0)
        proc.stdout, proc.stderr = out.read(), err.read()
    return proc


class Qrxsh:
    """A line runner fed line by line; its output events are read as they come, in order."""

    def __init__(self, cmd, folder=None, env=None):
        self.proc = subprocess.Popen(cmd, cwd=folder, env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.events, self.taken, self.ended = [], 0, False
        self.changed = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            with self.changed:
                self.events += events(raw)
                self.changed.notify_all()
        with self.changed:
            self.ended = True
            self.changed.notify_all()

    def type(self, *lines):
        for line in lines:
            self.proc.stdin.write(line.encode("utf-8") + b"\n")
        self.proc.stdin.flush()

    def until(self, predicate, timeout=10.0):
        """The events not taken yet up to the first one the predicate holds for (or all that
        come within the time); takes them."""
        deadline = time.time() + timeout
        with self.changed:
            while True:
                for i in range(self.taken, len(self.events)):
                    if predicate(self.events[i]):
                        seen, self.taken = self.events[self.taken:i + 1], i + 1
                        return seen
                left = deadline - time.time()
                if left <= 0 or self.ended:
                    seen, self.taken = self.events[self.taken:], len(self.events)
                    return seen
                self.changed.wait(left)

    def wait(self, kind, text=None, timeout=10.0):
        """The next event of this kind (whose last field is `text`, or matches it) or None."""
        def fits(e):
            return e[0] == kind and (text is None or (
                text.fullmatch(e[-1]) if isinstance(text, re.Pattern) else e[-1] == text))
        seen = self.until(fits, timeout)
        return seen[-1] if seen and fits(seen[-1]) else None

    def close(self, timeout=30):
        """Ends the input (the window closes, the history is saved) and waits for the end."""
        try:
            self.proc.stdin.close()
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return self.proc.wait()


def read_ini(path):
    """{(SECTION, KEY): value} of an INI file in code page 932, read as the program reads it:
    outer blanks and one pair of quotes removed; {} when it does not exist."""
    values, section = {}, ""
    if not os.path.exists(path):
        return values
    with open(path, "rb") as f:
        text = f.read().decode("cp932", "replace")
    for line in text.replace("\r\n", "\n").split("\n"):
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].strip().upper()
        elif "=" in line and not line.startswith(";"):
            key, value = line.split("=", 1)
            value = value.strip()
            if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
                value = value[1:-1]
            values.setdefault((section, key.strip().upper()), value)
    return values


def message(key, catalogue=REAL_CATALOGUE, **params):
    """A catalogue message with its answer parameters (#A ...) filled in."""
    section, name = key.split("_", 1)
    text = read_ini(catalogue).get((section, name), key)
    for letter, value in params.items():
        text = text.replace("#" + letter, value)
    return text


def free_port():
    """A UDP port from 20000 to 32000 that nobody holds right now (quorix ports go up to
    32767, below the system's range of passing ports)."""
    for _ in range(200):
        port = random.randint(20000, 32000)
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
            try:
                probe.bind(("0.0.0.0", port))
                return port
            except OSError:
                continue
    raise RuntimeError("no free UDP port")


def signed(key, command, port, shift=0):
    """A datagram as a copy with this key signs it (the format of the manual)."""
    stamp, nonce = int(time.time()) + shift, os.urandom(16)
    text = b"QRX1\n%d\n%s\n%d\n" % (stamp, nonce.hex().encode(), port) + command
    tag = hmac.new(key, text, hashlib.sha256).hexdigest()
    return f"QRX1 {stamp} {nonce.hex()} {tag}|".encode() + command


class Shell(Qrxsh):
    """One qrxsh in a folder of its own (delivered catalogue), its link list given."""

    def __init__(self, exe, name, link_list=()):
        self.folder = make_folder(tempfile.mkdtemp(prefix=f"qrx-link-{name}-"), exe,
                                  REAL_CATALOGUE)
        with open(os.path.join(self.folder, "QRX_CORE.LKD"), "wb") as f:
            f.write(cp932_text(link_list))
        super().__init__([os.path.join(self.folder, "qrxsh"),
                          os.path.join(self.folder, "QRX_CORE.INI")])

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


def run_in_namespace(command, prelude="", timeout=300):
    """Runs a command that prints "N passed, N failed" last inside a private network
    namespace with only loopback (the limited broadcast routed to it), shows its output and
    adds its results to these counts. The shell commands of `prelude` run there before and
    after it."""
    inner = ("ip link set lo up && ip route add 255.255.255.255/32 dev lo || exit 2; "
             + prelude + ' "$@"; rc=$?; ' + prelude + " exit $rc")
    proc = subprocess.run(["unshare", "-rn", "sh", "-c", inner, "sh"] + command,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
    out = proc.stdout.decode("utf-8", "replace")
    found = re.search(r"(\d+) passed, (\d+) failed\s*$", out)
    print(out[:found.start()] if found else out, end="")
    if check("the namespace part ran", found and proc.returncode in (0, 1), proc.returncode):
        counts[0], counts[1] = counts[0] + int(found[1]), counts[1] + int(found[2])
