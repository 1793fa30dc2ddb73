#!/usr/bin/env python3
"""Kills qrxsh with SIGKILL at random moments while a command file writes settings, and checks
what it leaves on the disk.

After every kill the configuration must read as a whole file (every line a header, a key line
or blank, CR LF line ends), and it must be exactly the state after some prefix of the command
file's writes: every key holds its old or its new value, never a mix of later and lost
earlier writes, and no write that was answered is missing. Then qrxsh runs once more, alone
(every other time it only starts, otherwise it also writes a setting); after that no
temporary file of ours may be left beside the configuration.

usage: qrxsh_kill.py QRXSH [KILLS]   (QRX_KILL_SEED repeats a run's random moments)
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

LINES = 300
SET_KEYS = 10
ALIASES = 5
TEMP = re.compile(r"^\.qrx-\d+-\d+\.tmp$")


def command(i):
    """The i-th line of the command file and the write it makes: (section, key, stored)."""
    if i % 4 == 3:
        name = f"A{i % ALIASES}"
        return f"ALIAS {name} ECHO v{i}", ("BAT", name, f'"ECHO v{i}"')
    return f"SET {i % SET_KEYS} v{i}", ("SET", str(i % SET_KEYS), f'"v{i}"')


def initial_state():
    state = {("SET", str(k)): "init" for k in range(SET_KEYS)}
    state.update({("BAT", f"A{k}"): '"ECHO init"' for k in range(ALIASES)})
    return state


def state_after(prefix):
    state = initial_state()
    for i in range(prefix):
        section, key, stored = command(i)[1]
        state[(section, key)] = stored
    return state


def initial_config():
    lines = ["[SYSTEM]", "Version=0.50", "[SET]"]
    lines += [f"{k}=init" for k in range(SET_KEYS)]
    lines += ["[BAT]"] + [f'A{k}="ECHO init"' for k in range(ALIASES)]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def parse(data):
    """The configuration's keys, first section and first key of a name winning; raises when a
    line is neither blank, a header nor a key line, or the file is cut inside a line."""
    if data and not data.endswith(b"\r\n"):
        raise ValueError("the file does not end with a line break")
    text = data.decode("cp932")
    values, seen_sections, section = {}, set(), None
    for line in text.split("\r\n")[:-1]:
        if line.startswith("["):
            if not line.endswith("]"):
                raise ValueError(f"broken header {line!r}")
            name = line[1:-1].upper()
            section = None if name in seen_sections else name
            seen_sections.add(name)
        elif "=" in line:
            key, value = line.split("=", 1)
            if section is not None:
                values.setdefault((section, key.upper()), value)
        elif line:
            raise ValueError(f"line without '=' {line!r}")
    if values.get(("SYSTEM", "VERSION")) != "0.50":
        raise ValueError("the [SYSTEM] section is lost")
    return {k: v for k, v in values.items() if k[0] in ("SET", "BAT")}


def temporaries(folder):
    return sorted(n for n in os.listdir(folder) if TEMP.match(n))


def run_and_kill(qrxsh, folder, commands, delay):
    """Starts qrxsh on the command file, kills it after `delay` seconds; the number of lines of
    the file it answered."""
    out = open(os.path.join(folder, "out.txt"), "wb")
    proc = subprocess.Popen([qrxsh, os.path.join(folder, "QRX_CORE.INI")], stdin=subprocess.PIPE,
                            stdout=out, stderr=subprocess.DEVNULL, cwd=folder)
    proc.stdin.write(f"LBAT {commands}\n".encode())
    proc.stdin.flush()
    time.sleep(delay)
    proc.kill()  # SIGKILL, to this process only
    proc.wait()
    proc.stdin.close()
    out.close()
    with open(os.path.join(folder, "out.txt"), "rb") as f:
        answers = sum(1 for line in f if line.startswith(b"ANSWER"))
    return max(answers - 1, 0)  # the first answer is the start-up's


def run_alone(qrxsh, folder, line):
    subprocess.run([qrxsh, os.path.join(folder, "QRX_CORE.INI")], input=line.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=folder, timeout=60,
                   check=True)


def main():
    qrxsh = os.path.abspath(sys.argv[1])
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    seed = int(os.environ.get("QRX_KILL_SEED", time.time_ns() % 1_000_000))
    rng = random.Random(seed)
    root = tempfile.mkdtemp(prefix="qrx-kill-")
    failures, left_behind = [], 0
    try:
        commands = os.path.join(root, "writes.bat")
        with open(commands, "wb") as f:
            f.write(b"".join(command(i)[0].encode() + b"\r\n" for i in range(LINES)))
        # One run to the end tells how long the whole file takes here.
        folder = os.path.join(root, "whole")
        os.mkdir(folder)
        with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
            f.write(initial_config())
        started = time.perf_counter()
        run_alone(qrxsh, folder, f"LBAT {commands}\n")
        whole = time.perf_counter() - started
        if parse(open(os.path.join(folder, "QRX_CORE.INI"), "rb").read()) != state_after(LINES):
            failures.append("the run without a kill did not end with every write")

        for n in range(kills):
            folder = os.path.join(root, f"kill{n}")
            os.mkdir(folder)
            config = os.path.join(folder, "QRX_CORE.INI")
            with open(config, "wb") as f:
                f.write(initial_config())
            delay = rng.uniform(0.0, whole * 1.1)
            answered = run_and_kill(qrxsh, folder, commands, delay)
            try:
                state = parse(open(config, "rb").read())
            except (ValueError, UnicodeDecodeError) as e:
                failures.append(f"kill {n} after {delay:.3f} s: the configuration does not parse: {e}")
                continue
            # Answered writes are in; the one in flight may or may not be.
            if state not in (state_after(answered), state_after(min(answered + 1, LINES))):
                failures.append(f"kill {n} after {delay:.3f} s: {answered} lines answered, but "
                                f"the file is no state after {answered} or {answered + 1} writes")
            if temporaries(folder):
                left_behind += 1
            start_only = n % 2 == 1
            run_alone(qrxsh, folder, "" if start_only else "SET 0 after\n")
            rest = temporaries(folder)
            if rest:
                failures.append(f"kill {n}: after the next {'start' if start_only else 'write'} "
                                f"temporary files remain: {rest}")
            after = parse(open(config, "rb").read())
            if not start_only:
                state[("SET", "0")] = '"after"'
            if after != state:
                failures.append(f"kill {n}: the run after the kill changed other keys")
        print(f"{kills} kills with SIGKILL (seed {seed}, {LINES} writes in {whole:.2f} s): "
              f"{left_behind} left a temporary file behind; "
              f"{len(failures)} failures")
        for f in failures:
            print("  " + f)
        return 1 if failures else 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
