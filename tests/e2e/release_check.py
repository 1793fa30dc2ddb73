#!/usr/bin/env python3
"""The Windows release zip as a user gets it: exactly the programs, README.txt (UTF-8 with a
byte order mark, CR LF, both languages naming every file), the manual and data/ unchanged; the
programs stripped, statically linked, compiled with -O2 and without -g, quorix.exe within 2 MB;
and unpacked into an empty folder, quorix.exe started with no argument from another folder
makes its files beside itself, shows the first-start box and answers (in English once EN.MSG
is copied over QRX_CORE.MSG), and qrxsh.exe answers too, also through the QS_DLL1.DLL beside it.
quorix_driver.exe comes from the windows build.

usage: release_check.py RELEASE_BUILD_DIR WINDOWS_BUILD_DIR VERSION
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

import qrx_e2e as e2e
import wine_quorix as wq

PROGRAMS = ["quorix.exe", "qrxsh.exe", "QS_DLL1.DLL"]
MANUAL = ["commands.md", "commands.ja.md"]
SIZE_LIMIT = 2 * 1024 * 1024

check = wq.check


def check_contents(archive, source, version):
    names = [i.filename for i in archive.infolist() if not i.is_dir()]
    root = os.path.join(source, "data")  # delivered without its dot files
    originals = {os.path.relpath(os.path.join(d, f), root): os.path.join(d, f)
                 for d, dirs, files in os.walk(root) if "/." not in d[len(root):]
                 for f in files if not f.startswith(".")}
    originals.update({doc: os.path.join(source, "docs", doc) for doc in MANUAL})
    want = set(PROGRAMS + ["README.txt"]) | set(originals)
    check("the zip holds the programs, README.txt, the manual and data/, nothing else",
          sorted(names) == sorted(want), f"extra {sorted(set(names) - want)}, "
          f"missing {sorted(want - set(names))}")
    changed = [rel for rel, path in originals.items()
               if rel not in names or archive.read(rel) != open(path, "rb").read()]
    check("the data files and the manual in the zip are those of data/ and docs/", not changed,
          repr(changed))
    if "README.txt" not in names:
        return
    raw = archive.read("README.txt")
    check("README.txt starts with the UTF-8 byte order mark and has CR LF line ends only",
          raw.startswith(b"\xef\xbb\xbf") and raw.endswith(b"\r\n")
          and raw.count(b"\n") == raw.count(b"\r\n") == raw.count(b"\r"))
    text = raw.decode("utf-8-sig", "replace")
    for needle in (f"quorix {version}", "QRX_CORE.INI", "copy /Y EN.MSG QRX_CORE.MSG",
                   "[日本語]", "[English]", "SET SKIN NEKO", "ANS-WINDOW=KORADINE"):
        check(f"README.txt mentions {needle}", needle in text)
    for half in text.split("[English]"):
        unnamed = [n for n in names if n not in half]
        check("README.txt names every file of the zip in both languages", not unnamed,
              repr(unnamed))


def pe_symbol_table(path):
    """(pointer, count) of the COFF symbol table of a PE file; (0, 0) once stripped."""
    with open(path, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    return struct.unpack_from("<II", head, pe + 4 + 8) if head[pe:pe + 4] == b"PE\0\0" else None


def objdump(args, path):
    return subprocess.run(["x86_64-w64-mingw32-objdump", *args, path], capture_output=True,
                          text=True, check=True).stdout


def check_build(folder, release):
    for name in PROGRAMS:  # each is there: check_contents
        path = os.path.join(folder, name)
        sections = [line.split()[1] for line in objdump(["-h"], path).splitlines()
                    if line.strip()[:1].isdigit()]
        debug = [s for s in sections if s.startswith(".debug") or s.startswith(".zdebug")]
        check(f"{name} has sections and no debug sections", sections and not debug,
              repr(debug or sections))
        check(f"{name} is stripped (no symbol table)", pe_symbol_table(path) == (0, 0),
              repr(pe_symbol_table(path)))
        imports = [line.split(":", 1)[1].strip() for line in objdump(["-p"], path).splitlines()
                   if "DLL Name:" in line]
        runtime = [d for d in imports if d.lower().startswith("lib")]
        check(f"{name} needs no runtime DLL of the compiler (static runtime)",
              imports and not runtime, repr(runtime or imports))
    size = os.path.getsize(os.path.join(folder, "quorix.exe"))
    check(f"quorix.exe is at most 2 MB ({size} bytes)", size <= SIZE_LIMIT)
    # The programs carry no trace of their compiler options: the release build's compile
    # commands are what made them.
    with open(os.path.join(release, "compile_commands.json")) as f:
        commands = [e.get("command") or " ".join(e["arguments"]) for e in json.load(f)]
    bad = [c for c in commands
           if "-O2" not in c.split() or {"-g", "-O0", "-O1", "-O3", "-Os"} & set(c.split())]
    check("every source of the release build is compiled with -O2 and without -g",
          commands and not bad, bad[0] if bad else "no compile commands")


def check_quorix(folder, version):
    """quorix.exe started from the unpacked folder with no argument, from another folder."""
    elsewhere = tempfile.mkdtemp(prefix="qrx-release-cwd-")
    q = wq.Quorix(folder, config=None, data=None)
    start = wq.message("SYSTEM_START", os.path.join(folder, "DEF.MSG"), A="quorix", B=version)
    try:
        out = q.start("quorix.exe from the zip: first-start box, window, caption and SYSTEM_START",
                      ["wait-answer", start, "5000"], box=True, args=[], cwd=elsewhere,
                      caption=f"quorix Ver{version} [--]")
        if out is None:
            return
        want_box = "quorix\t" + wq.windows_path(q.config) + "\rを新規作成しました"
        check("the first-start box names QRX_CORE.INI beside quorix.exe", out[0] == want_box,
              f"{out[0]!r} != {want_box!r}")
        check("QRX_CORE.INI is created beside quorix.exe with the version",
              wq.read_ini(q.config).get(("SYSTEM", "VERSION")) == version)
        check("QRX_CORE.MSG is created beside quorix.exe as a copy of DEF.MSG",
              open(os.path.join(folder, "DEF.MSG"), "rb").read()
              == open(os.path.join(folder, "QRX_CORE.MSG"), "rb").read())
        check("QRX_CORE.LKD is created beside quorix.exe",
              os.path.isfile(os.path.join(folder, "QRX_CORE.LKD")))
        check("nothing is written to the current folder", os.listdir(elsewhere) == [],
              repr(os.listdir(elsewhere)))
        shutil.copy(os.path.join(folder, "EN.MSG"), os.path.join(folder, "QRX_CORE.MSG"))
        english = wq.message("SET_0-9", os.path.join(folder, "EN.MSG"), A="x", B="1")
        q.enter("with EN.MSG copied over QRX_CORE.MSG the next answer is English", "SET 1 x",
                ["wait-answer", english, "5000"])
        q.close("EXIT", ["type", "EXIT"], ["key", "ENTER"])
    finally:
        q.stop()
        shutil.rmtree(elsewhere, ignore_errors=True)


def check_qrxsh(folder, version):
    cmd = ["wine", os.path.join(folder, "qrxsh.exe")]
    proc = e2e.run_lines(cmd, ["ANS one"], folder)
    start = wq.message("SYSTEM_START", os.path.join(folder, "DEF.MSG"), A="quorix", B=version)
    check("qrxsh.exe from the zip answers SYSTEM_START and runs a line", proc.returncode == 0
          and e2e.answers(proc.stdout)[:2] == [(3, start), (3, "one")], repr(proc.stdout))
    check("qrxsh.exe creates QRX_CORE.INI beside itself",
          os.path.isfile(os.path.join(folder, "QRX_CORE.INI")))
    with open(os.path.join(folder, "QRX_CORE.INI"), "wb") as f:
        f.write(f"[SYSTEM]\r\nVersion={version}\r\nANS-WINDOW=DLL\r\n".encode("ascii"))
    rc = e2e.run_lines(cmd, ["ANS through-the-library"], folder).returncode
    log = os.path.join(folder, "QS_ANS.LOG")
    journal = open(log, "rb").read().decode("cp932", "replace") if os.path.exists(log) else ""
    check("QS_DLL1.DLL from the zip receives the answers (its journal holds them)",
          rc == 0 and "\t3\tthrough-the-library\r\n" in journal, repr(journal))


def main():
    release, windows, version = sys.argv[1:4]
    source = wq.SOURCE
    wq.BUILD = windows
    package = os.path.join(release, f"quorix-{version}-win64.zip")
    if not os.path.exists(package):
        print(f"FAIL: {package} not found (run: cmake --workflow --preset release)")
        return 1
    archive = zipfile.ZipFile(package)

    def unpacked(step):
        return lambda folder: (archive.extractall(folder), step(folder))

    return wq.run_scenarios((lambda folder: check_contents(archive, source, version),
                             unpacked(lambda folder: check_build(folder, release)),
                             unpacked(lambda folder: check_quorix(folder, version)),
                             unpacked(lambda folder: check_qrxsh(folder, version))),
                            "qrx-release-", ("quorix_driver.exe",))


if __name__ == "__main__":
    sys.exit(main())
