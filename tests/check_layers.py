#!/usr/bin/env python3
"""Checks the include structure of src/ and fails when it is broken.

Folders form layers, bottom to top; a file may include files of its own layer and of the
layers below it, never of a layer above:

    base -> platform -> core -> interpreter -> commands -> ui -> app

Portable code (everything outside the OS-specific folders) includes no OS header: between
angle brackets only the C++ standard library, and no file of an OS-specific folder. The
windows (ui/) reach the commands through one header, the window's events and tick duties.

Usage: check_layers.py --self-test | SRC_DIR
"""
import argparse
import pathlib
import re
import sys

LAYERS = ["base", "platform", "core", "interpreter", "commands", "ui", "app"]
OS_SPECIFIC = ("platform/posix/", "platform/win32/", "ui/win32/", "ui/qt/", "app/")
UI_TO_COMMANDS = "commands/window_events.h"

STANDARD_HEADERS = set(
    """algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv
    chrono cinttypes climits clocale cmath codecvt compare complex concepts condition_variable
    coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
    cwctype deque exception execution filesystem format forward_list fstream functional future
    initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map
    memory memory_resource mutex new numbers numeric optional ostream queue random ranges ratio
    regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
    stdexcept stop_token streambuf string string_view syncstream system_error thread tuple
    type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
    version""".split())

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(rel):
    top = rel.split("/", 1)[0]
    return LAYERS.index(top) if top in LAYERS else None


def is_portable(rel):
    return not rel.startswith(OS_SPECIFIC)


def check(src):
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".rc") or not path.is_file():
            continue
        rel = path.relative_to(src).as_posix()
        own = layer_of(rel)
        if own is None:
            problems.append(f"{rel}: folder is in no layer ({' '.join(LAYERS)})")
            continue
        text = path.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            quote, target = m.groups()
            where = f"{rel}:{number}: {target}"
            if quote == "<":
                if is_portable(rel) and target not in STANDARD_HEADERS:
                    problems.append(f"{where}: portable code includes a header from outside "
                                    "the standard library")
                continue
            target_layer = layer_of(target)
            if target_layer is None:
                problems.append(f"{where}: included file is in no layer")
            elif target_layer > own:
                problems.append(f"{where}: includes from the higher layer "
                                f"'{LAYERS[target_layer]}'")
            if is_portable(rel) and not is_portable(target):
                problems.append(f"{where}: portable code includes an OS-specific file")
            if rel.startswith("ui/") and target.startswith("commands/") and target != UI_TO_COMMANDS:
                problems.append(f"{where}: a window includes a command group (only {UI_TO_COMMANDS})")
    return problems


def self_test():
    """The check itself must catch what it is for: run it on small trees with known faults."""
    import tempfile
    cases = {
        "upward include": {"core/a.h": '#include "interpreter/b.h"\n', "interpreter/b.h": ""},
        "OS header in portable code": {"core/a.cpp": "#include <windows.h>\n"},
        "OS-specific file in portable code": {"core/a.cpp": '#include "platform/win32/w.h"\n',
                                              "platform/win32/w.h": ""},
        "folder in no layer": {"misc/a.h": ""},
        "command group in a window": {"ui/w.cpp": '#include "commands/net/n.h"\n',
                                      "commands/net/n.h": ""},
    }
    clean = {"core/a.cpp": '#include "base/b.h"\n#include <string>\n', "base/b.h": "",
             "platform/win32/w.cpp": "#include <windows.h>\n",
             "commands/x/c.cpp": '#include "commands/y/d.h"\n#include "core/a.h"\n',
             "commands/y/d.h": "", "core/a.h": ""}
    failures = 0
    for name, files in list(cases.items()) + [("clean tree", clean)]:
        with tempfile.TemporaryDirectory() as tmp:
            for rel, text in files.items():
                path = pathlib.Path(tmp, rel)
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_text(text)
            problems = check(pathlib.Path(tmp))
            if bool(problems) != (name != "clean tree"):
                print(f"self-test '{name}': got {problems}")
                failures += 1
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("src", nargs="?")
    parser.add_argument("--self-test", action="store_true")
    args = parser.parse_args()
    if args.self_test:
        return self_test()
    problems = check(pathlib.Path(args.src))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include problem(s)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
