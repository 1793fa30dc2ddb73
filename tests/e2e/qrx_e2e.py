"""What the end-to-end checks share: counted checks, a run folder, the line runner fed line by
line or all at once, the catalogue and INI readers, waiting and free ports."""
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
    """Runs the line runner on the lines at once; the finished process."""
    return subprocess.run(cmd, input="".join(line + "\n" for line in lines).encode("utf-8"),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder, env=env,
                          timeout=timeout)


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
