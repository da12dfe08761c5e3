#!/usr/bin/env python3
"""zarvik's _Connect from Wine's Windows Script Host: variables.vbs run by
cscript in a prefix of its own where zarvik.dll is registered, its lines
against what they must be.

    vbscript_variables_test.py WINE_RUN ZARVIK_DLL VARIABLES_VBS WORK_DIR

WINE_RUN_PREFIX names the prefix. Wine's own cscript.exe and regsvr32.exe
are copied into WORK_DIR (inside the build tree, where tools/wine-run looks
for the tree's display).
"""
import glob
import os
import shutil
import subprocess
import sys

EXPECTED = """\
GetCaption(string) 0 [Tessaly...]
GetTag(string) 0 [Mapnote]
GetCaption(number) 0 [42]
GetTag(number) 5 [-]
GetCaption(empty) 0 []
GetTag(empty) 5 [-]
GetCaption(null) 13 [-]
GetTag(null) 13 [-]
GetCaption(literal number) 0 [42]
GetTag(literal number) 5 [-]
GetCaption(literal empty string) 0 []
GetTag(literal empty string) 5 [-]
string String [Mapnote,Tessaly...]
number Integer [42]
empty Empty
null Null
"""


def main(wine_run, dll, script, work):
    with open(dll, "rb") as f:
        header = f.read(4096)
    pe = int.from_bytes(header[60:64], "little")
    arch = "i386" if header[pe + 4:pe + 6] == b"\x4c\x01" else "x86_64"
    if arch == "i386" and subprocess.run([wine_run, "--runs-32-bit"]).returncode != 0:
        print("This kernel runs no 32-bit programs: skipped")
        return 77
    os.makedirs(work, exist_ok=True)
    programs = {}
    for name in ("regsvr32.exe", "cscript.exe"):
        found = sorted(glob.glob("/usr/lib/*/wine/%s-windows/%s" % (arch, name)) +
                       glob.glob("/usr/lib/wine/%s-windows/%s" % (arch, name)))
        if not found:
            print("FAILED: Wine's %s for %s is not installed" % (name, arch))
            return 1
        programs[name] = os.path.join(work, name)
        shutil.copy(found[0], programs[name])
    registered = subprocess.run([wine_run, programs["regsvr32.exe"], "/s", "Z:" + os.path.abspath(dll)],
                                capture_output=True, text=True)
    if registered.returncode != 0:
        print("FAILED: regsvr32 exited with %d: %s" % (registered.returncode, registered.stdout))
        return 1
    done = subprocess.run([wine_run, programs["cscript.exe"], "//nologo", "Z:" + os.path.abspath(script)],
                          capture_output=True, text=True)
    got = done.stdout.replace("\r\n", "\n")
    print(got, end="")
    if done.returncode != 0 or got != EXPECTED:
        print("FAILED: cscript exited with %d; expected:\n%s" % (done.returncode, EXPECTED))
        return 1
    print("ok: variables read by value, and left as they were")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
