#!/usr/bin/env python3
"""Compares what ini_script printed natively (the POSIX engine) and under Wine (the Windows
profile API).

usage: compare_ini.py NATIVE_OUTPUT WINE_OUTPUT

Every read must agree exactly. File bytes must agree too, except where Wine rewrote the
whole file: Windows edits the one line a write touches, Wine writes every line again from
what it parsed (blank lines dropped, `k = v` respaced to `k=v`). Such a step passes only
when Wine's bytes are exactly a Wine-style rewrite of our file (wine_rewrite_matches). A step
that the script marks with known-difference may differ; it is listed with its reason. Any
other difference fails. Exit code 0 when nothing failed.
"""
import re
import sys

BLANKS = "\t\n\x0b\x0c\r\x1a "
RECORD = re.compile(r"^(\d+) (\S+)(?: (.*))?$")


def read_records(path):
    with open(path, "rb") as f:
        lines = [l for l in f.read().decode("utf-8").replace("\r\n", "\n").split("\n") if l]
    bad = [line for line in lines if not RECORD.match(line)]
    if bad:
        raise SystemExit(f"{path}: cannot read line {bad[0]!r}")
    return [(int(m[1]), m[2], m[3] or "") for m in map(RECORD.match, lines)]


def decode(data):
    """The text of a file and its encoding, as the profile API reads it."""
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le", errors="surrogatepass"), "utf-16"
    return data.decode("cp932", errors="surrogateescape"), "ansi"


def rewritten_forms(line):
    """The forms in which Wine writes a line back, or None when it drops the line.

    Wine keeps the trailing blanks of a value only when it was set by this very write (the
    line was not read back from the file), so a key line has two acceptable forms."""
    full = line.strip(BLANKS)
    if not full:
        return None
    if full.startswith("["):
        close = full.rfind("]")
        if close > 0:
            name = full[1:close].strip(BLANKS)
            # A section without a name gets no header when Wine writes the file.
            return None if not name else {"[" + name + "]"}
    eq = full.find("=")
    if eq < 0:
        return {full}
    name = full[:eq].rstrip(BLANKS)
    kept = line.lstrip(BLANKS)
    return {name + "=" + full[eq + 1:].lstrip(BLANKS),
            name + "=" + kept[kept.find("=") + 1:].lstrip(BLANKS)}


def wine_rewrite_matches(ours, wine):
    """True when Wine's bytes are our file written again the way Wine writes files."""
    ours_text, ours_encoding = decode(ours)
    wine_text, wine_encoding = decode(wine)
    if ours_encoding != wine_encoding:
        return False
    expected = [f for f in (rewritten_forms(l) for l in re.split(r"\r\n|\r|\n", ours_text)) if f]
    if not wine_text:
        return not expected
    if not wine_text.endswith("\r\n"):
        return False
    got = wine_text[:-2].split("\r\n")
    return len(got) == len(expected) and all(g in forms for g, forms in zip(got, expected))


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    ours, wine = read_records(argv[1]), read_records(argv[2])
    failures, rewrites, known, reads, files = [], [], [], 0, 0
    marked, reason = {}, None  # script line of an operation -> why it may differ
    if len(ours) != len(wine):
        failures.append(f"output lengths differ: native {len(ours)} lines, wine {len(wine)}")
    for (step, kind, payload), (wstep, wkind, wpayload) in zip(ours, wine):
        if (step, kind) != (wstep, wkind):
            failures.append(f"line {step}: native printed {kind}, wine {wkind} (line {wstep})")
            break
        if kind == "known-difference":
            reason = payload
            continue
        if reason is not None and kind != "file":
            marked[step], reason = reason, None
        files += kind == "file"
        reads += kind != "file"
        if payload == wpayload:
            continue
        if kind == "file" and "missing" not in (payload, wpayload) and \
                wine_rewrite_matches(*(b"" if p == "empty" else bytes.fromhex(p)
                                       for p in (payload, wpayload))):
            rewrites.append(step)
        elif step in marked:
            known.append(f"line {step} ({kind}): {marked[step]}")
        else:
            failures.append(f"line {step} {kind} differs\n      native: {payload}\n"
                            f"      wine:   {wpayload}")
    steps = len({s for s, k, _ in ours if k != "known-difference"})
    print(f"ini differential: {steps} operations, {reads} results and {files} file states compared")
    print(f"  Wine rewrote the whole file where Windows edits one line: {len(rewrites)} steps "
          f"(script lines {', '.join(map(str, rewrites)) or '-'})")
    print(f"  known differences: {len(known)}" + "".join("\n    " + k for k in known))
    print(f"  failures: {len(failures)}" + "".join("\n    " + f for f in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
