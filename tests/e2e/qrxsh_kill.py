#!/usr/bin/env python3
"""Kills qrxsh with SIGKILL at random moments while a command file writes settings.

After every kill the configuration must read as a whole file (every line a header, a key line
or blank, CR LF line ends) and be exactly the state after some prefix of the writes: every
answered write is in, the one in flight may be. Then qrxsh runs once more alone (every other
time it only starts, otherwise it also writes); after that no temporary file of ours may be
left beside the configuration and no other key may have changed.

usage: qrxsh_kill.py QRXSH [KILLS]   (QRX_KILL_SEED repeats a run's random moments)
"""
import os
import random
import re
import subprocess
import sys
import tempfile
import time

LINES, SET_KEYS, ALIASES = 300, 10, 5
TEMP = re.compile(r"^\.qrx-\d+-\d+\.tmp$")


def command(i):
    """The i-th line of the command file and the write it makes: ((section, key), stored)."""
    if i % 4 == 3:
        return f"ALIAS A{i % ALIASES} ECHO v{i}", (("BAT", f"A{i % ALIASES}"), f'"ECHO v{i}"')
    return f"SET {i % SET_KEYS} v{i}", (("SET", str(i % SET_KEYS)), f'"v{i}"')


def state_after(prefix):
    state = {("SET", str(k)): "init" for k in range(SET_KEYS)}
    state.update({("BAT", f"A{k}"): '"ECHO init"' for k in range(ALIASES)})
    state.update(command(i)[1] for i in range(prefix))
    return state


INITIAL = "".join(line + "\r\n" for line in ["[SYSTEM]", "Version=0.50", "[SET]"]
                  + [f"{k}=init" for k in range(SET_KEYS)] + ["[BAT]"]
                  + [f'A{k}="ECHO init"' for k in range(ALIASES)]).encode()


def parse(path):
    """The [SET] and [BAT] keys, first section and key of a name winning; raises on a line
    that is neither blank, a header nor a key line, or a file cut inside a line."""
    data = open(path, "rb").read()
    if data and not data.endswith(b"\r\n"):
        raise ValueError("the file does not end with a line break")
    values, seen, section = {}, set(), None
    for line in data.decode("cp932").split("\r\n")[:-1]:
        if line.startswith("["):
            if not line.endswith("]"):
                raise ValueError(f"broken header {line!r}")
            section = None if line[1:-1].upper() in seen else line[1:-1].upper()
            seen.add(line[1:-1].upper())
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


def fresh(root, name):
    folder = os.path.join(root, name)
    os.mkdir(folder)
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(INITIAL)
    return folder, os.path.join(folder, "QRX_CORE.INI")


def run(qrxsh, folder, config, line, kill_after=None):
    """qrxsh on the line, to its end or killed with SIGKILL (this process only) after
    kill_after seconds; the number of lines it answered (not the greeting)."""
    with tempfile.TemporaryFile() as out:
        proc = subprocess.Popen([qrxsh, config], stdin=subprocess.PIPE, stdout=out,
                                stderr=subprocess.DEVNULL, cwd=folder)
        if kill_after is None:
            proc.communicate(line.encode(), timeout=60)
            assert proc.returncode == 0, f"qrxsh ended with {proc.returncode} after {line!r}"
        else:
            proc.stdin.write(line.encode())
            proc.stdin.flush()
            time.sleep(kill_after)
            proc.kill()
            proc.wait()
        out.seek(0)
        return max(sum(1 for line in out if line.startswith(b"ANSWER")) - 1, 0)


def main():
    qrxsh = os.path.abspath(sys.argv[1])
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    seed = int(os.environ.get("QRX_KILL_SEED", time.time_ns() % 1_000_000))
    rng = random.Random(seed)
    failures, left_behind = [], 0
    with tempfile.TemporaryDirectory(prefix="qrx-kill-") as root:
        commands = os.path.join(root, "writes.bat")
        with open(commands, "wb") as f:
            f.write(b"".join(command(i)[0].encode() + b"\r\n" for i in range(LINES)))
        # One run to the end tells how long the whole file takes here.
        folder, config = fresh(root, "whole")
        started = time.perf_counter()
        run(qrxsh, folder, config, f"LBAT {commands}\n")
        whole = time.perf_counter() - started
        if parse(config) != state_after(LINES):
            failures.append("the run without a kill did not end with every write")
        for n in range(kills):
            folder, config = fresh(root, f"kill{n}")
            delay = rng.uniform(0.0, whole * 1.1)
            answered = run(qrxsh, folder, config, f"LBAT {commands}\n", delay)
            try:
                state = parse(config)
            except (ValueError, UnicodeDecodeError) as e:
                failures.append(f"kill {n} after {delay:.3f} s: the configuration does not parse: {e}")
                continue
            if state not in (state_after(answered), state_after(min(answered + 1, LINES))):
                failures.append(f"kill {n} after {delay:.3f} s: {answered} lines answered, but "
                                f"the file is no state after {answered} or {answered + 1} writes")
            left_behind += bool(temporaries(folder))
            start_only = n % 2 == 1
            run(qrxsh, folder, config, "" if start_only else "SET 0 after\n")
            if temporaries(folder):
                failures.append(f"kill {n}: after the next {'start' if start_only else 'write'} "
                                f"temporary files remain: {temporaries(folder)}")
            if not start_only:
                state[("SET", "0")] = '"after"'
            if parse(config) != state:
                failures.append(f"kill {n}: the run after the kill changed other keys")
    print(f"{kills} kills with SIGKILL (seed {seed}, {LINES} writes in {whole:.2f} s): "
          f"{left_behind} left a temporary file behind; {len(failures)} failures")
    for f in failures:
        print("  " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
