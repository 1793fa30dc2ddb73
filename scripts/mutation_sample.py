#!/usr/bin/env python3
"""How many planted faults do the unit tests catch?

Plants one single-token fault at a time (a flipped comparison, && for ||, an off-by-one, a
dropped negation, a flipped boolean result) into the portable code, rebuilds quorix_tests in a
fast build folder of its own (-O0, no sanitizers), runs it and counts the mutants it fails on.
The sites are a fixed random sample, so two runs with the same seed over the same src/ compare
the tests, not the luck of the draw. A mutant that does not compile is not counted.

  nice -n 15 python3 scripts/mutation_sample.py [--seed 22] [--sites 160] [--tree DIR]

--list prints the sample without building; --save FILE writes the per-mutant results.
--only-caught FILE runs again only the mutants that FILE (a --save of an earlier run on the
same src/) records as caught, and counts the others as they came out there: how a change of
the tests changed the catch rate, at a fraction of the cost. --only-files REGEX narrows that
rerun to the sites in the files a change of the tests concerns. Survivors can only have been
caught by new tests, so the rate it prints is a lower bound.
"""
import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time

PORTABLE_EXCLUDE = re.compile(r"^src/(platform/posix|platform/win32|ui/win32|app)/")

# (name, pattern, replacement). Binary operators are matched with spaces around them, as the
# code is formatted, which keeps template brackets and pointer arrows out.
OPERATORS = [
    ("==", re.compile(r"(?<= )==(?= )"), "!="),
    ("!=", re.compile(r"(?<= )!=(?= )"), "=="),
    ("<", re.compile(r"(?<= )<(?= )"), "<="),
    ("<=", re.compile(r"(?<= )<=(?= )"), "<"),
    (">", re.compile(r"(?<= )>(?= )"), ">="),
    (">=", re.compile(r"(?<= )>=(?= )"), ">"),
    ("&&", re.compile(r"(?<= )&&(?= )"), "||"),
    ("||", re.compile(r"(?<= )\|\|(?= )"), "&&"),
    ("+1", re.compile(r"(?<= )\+ 1\b(?!\.)"), "- 1"),
    ("-1", re.compile(r"(?<= )- 1\b(?!\.)"), "+ 1"),
    ("!x", re.compile(r"(?<![\w)\]!=])!(?=[\w(])"), ""),
    ("true", re.compile(r"(?<=return )true\b"), "false"),
    ("false", re.compile(r"(?<=return )false\b"), "true"),
]


def code_only(line, in_block):
    """The line with comments and string/character literals blanked, and the comment state."""
    out = []
    i = 0
    quote = None
    while i < len(line):
        c = line[i]
        if in_block:
            if line.startswith("*/", i):
                in_block = False
                out.append("  ")
                i += 2
                continue
            out.append(" ")
        elif quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(" ")
        elif line.startswith("//", i):
            break
        elif line.startswith("/*", i):
            in_block = True
            out.append("  ")
            i += 2
            continue
        elif c in "\"'" and not (c == "'" and i > 0 and line[i - 1].isdigit()):
            quote = c
            out.append(" ")
        else:
            out.append(c)
        i += 1
    return "".join(out).ljust(len(line)), in_block


def find_sites(tree):
    sites = []
    for root, _, files in os.walk(os.path.join(tree, "src")):
        for name in files:
            if not name.endswith(".cpp"):
                continue
            rel = os.path.relpath(os.path.join(root, name), tree).replace(os.sep, "/")
            if PORTABLE_EXCLUDE.match(rel):
                continue
            with open(os.path.join(tree, rel), encoding="utf-8") as f:
                lines = f.read().split("\n")
            in_block = False
            for number, line in enumerate(lines, 1):
                code, in_block = code_only(line, in_block)
                if code.lstrip().startswith("#") or 'R"' in line:
                    continue
                for kind, pattern, replacement in OPERATORS:
                    for m in pattern.finditer(code):
                        sites.append({"file": rel, "line": number, "col": m.start(), "kind": kind,
                                      "old": m.group(0), "new": replacement})
    sites.sort(key=lambda s: (s["file"], s["line"], s["col"], s["kind"]))
    return sites


def run(cmd, timeout=None, **kw):
    try:
        return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout, **kw).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def run_tests(cmd, shards, timeout, cwd):
    """Runs the unit tests split into shards that run side by side (most of their time is
    spent waiting on child processes and clocks); 0 when every shard passed."""
    procs = [subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              env=dict(os.environ, GTEST_TOTAL_SHARDS=str(shards),
                                       GTEST_SHARD_INDEX=str(i)))
             for i in range(shards)]
    deadline = time.monotonic() + timeout
    rc = None
    while rc is None:
        codes = [p.poll() for p in procs]
        if any(c not in (None, 0) for c in codes):
            rc = next(c for c in codes if c not in (None, 0))  # the first failure decides
        elif all(c == 0 for c in codes):
            rc = 0
        elif time.monotonic() > deadline:
            rc = "timeout"
        else:
            time.sleep(0.05)
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    return rc


def followed_outcome(log, n, total):
    """The outcome of mutant n in the output of another run, once that run has printed it."""
    head = f"[{n}/{total}] "
    while True:
        with open(log, encoding="utf-8") as f:
            for line in f:
                if line.startswith(head):
                    return line[len(head):].split()[0]
        time.sleep(5)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--tree", default=os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    ap.add_argument("--seed", type=int, default=22)
    ap.add_argument("--sites", type=int, default=160)
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--shards", type=int, default=4, help="test shards run side by side")
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--save", help="write the per-mutant results as JSON")
    ap.add_argument("--only-caught", metavar="FILE", help="rerun only what FILE records as caught")
    ap.add_argument("--only-files", metavar="REGEX",
                    help="with --only-caught: rerun only the sites in files that match, and "
                    "count the others as they came out there")
    ap.add_argument("--follow", metavar="LOG",
                    help="as --only-caught, reading the outcomes from the output of a run that "
                    "is still going (same seed and sites), each as soon as it is there")
    args = ap.parse_args()

    tree = os.path.abspath(args.tree)
    everything = find_sites(tree)
    sample = sorted(random.Random(args.seed).sample(everything, args.sites),
                    key=lambda s: (s["file"], s["line"], s["col"]))
    print(f"{len(everything)} sites in the portable code, sample of {len(sample)} (seed {args.seed})")
    if args.list:
        for s in sample:
            print(f"{s['file']}:{s['line']}:{s['col'] + 1}: {s['old']!r} -> {s['new']!r}")
        return 0

    build = os.path.join(tree, "build", "mutation")
    env = dict(os.environ, CMAKE_CXX_COMPILER_LAUNCHER="ccache", CCACHE_BASEDIR=os.path.dirname(tree),
               CCACHE_NOHASHDIR="1")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        if run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DQRX_BUILD_TESTS=ON",
                "-DQRX_SANITIZE=OFF", "-DCMAKE_BUILD_TYPE=", "-DCMAKE_CXX_FLAGS=-O0 -g0",
                "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"], env=env) != 0:
            sys.exit("configure failed")
    build_cmd = ["ninja", "-C", build, f"-j{args.jobs}", "quorix_tests"]
    test_cmd = [os.path.join(build, "tests", "quorix_tests"), "--gtest_brief=1", "--gtest_fail_fast"]
    earlier = {}
    if args.only_caught:
        with open(args.only_caught, encoding="utf-8") as f:
            for r in json.load(f)["results"]:
                earlier[(r["file"], r["line"], r["col"], r["kind"])] = r["outcome"]

    if run(build_cmd, env=env) != 0:
        sys.exit("the unmutated tree does not build")
    started = time.monotonic()
    if run_tests(test_cmd, args.shards, 600, build) != 0:
        sys.exit("the unit tests fail without a mutant")
    timeout = max(30, 5 * (time.monotonic() - started))

    # A run that is ended puts the file it mutated back (the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("ended"))
    results = []
    caught = 0
    for n, s in enumerate(sample, 1):
        before = earlier.get((s["file"], s["line"], s["col"], s["kind"]))
        if args.follow:
            before = followed_outcome(args.follow, n, len(sample))
        elsewhere = args.only_files and not re.search(args.only_files, s["file"])
        if (args.only_caught or args.follow) and (before != "caught" or elsewhere):
            caught += before == "caught"
            results.append(dict(s, outcome=before or "no-compile"))
            print(f"[{n}/{len(sample)}] {results[-1]['outcome']:10} (as before) {s['file']}:{s['line']}",
                  flush=True)
            continue
        began = time.monotonic()
        path = os.path.join(tree, s["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        line = lines[s["line"] - 1]
        assert line[s["col"]:s["col"] + len(s["old"])] == s["old"], s
        lines[s["line"] - 1] = line[:s["col"]] + s["new"] + line[s["col"] + len(s["old"]):]
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            if run(build_cmd, env=env) != 0:
                outcome = "no-compile"
            else:
                rc = run_tests(test_cmd, args.shards, timeout, build)
                outcome = "survived" if rc == 0 else "caught"
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        caught += outcome == "caught"
        results.append(dict(s, outcome=outcome))
        print(f"[{n}/{len(sample)}] {outcome:10} {s['file']}:{s['line']}: {s['old']} -> "
              f"{s['new'] or '(dropped)'} ({time.monotonic() - began:.0f} s)", flush=True)

    counted = [r for r in results if r["outcome"] != "no-compile"]
    rate = 100.0 * caught / len(counted) if counted else 0.0
    print(f"caught {caught} of {len(counted)} compiled mutants ({rate:.1f} %), "
          f"{len(results) - len(counted)} did not compile")
    if args.save:
        with open(args.save, "w", encoding="utf-8") as f:
            json.dump({"seed": args.seed, "caught": caught, "compiled": len(counted),
                       "results": results}, f, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
