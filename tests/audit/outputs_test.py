#!/usr/bin/env python3
"""Standard output that cannot be written fails every output mode: exit 2
and one line with the system's reason. Every file written has its folder
synced after the rename that puts it in place, as strace (where installed)
sees it.

    outputs_test.py MAPNOTE_AUDIT WORK_DIR
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys

PAGE = b'<map name="m"><area href="a.htm"></map>\n'
MODES = [["W"], ["--json", "W"], ["--format", "sarif", "W"], ["--todo", "T", "W"], ["--apply", "L", "W"]]
SINKS = {"full": "No space left on device", "closed": "Bad file descriptor"}


def command(audit, work, args):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work + "/w")
    with open(work + "/w/p.htm", "wb") as f:
        f.write(PAGE)
    with open(work + "/l.csv", "w") as f:
        f.write("path,area,href,new_alt,sha256\np.htm,0,a.htm,A,%s\n" % hashlib.sha256(PAGE).hexdigest())
    files = {"W": work + "/w", "L": work + "/l.csv", "T": work + "/t.csv", "R": work + "/r.htm"}
    return [audit] + [files.get(a, a) for a in args], files


def main(audit, work):
    failures = []
    for args in MODES:
        for sink, reason in SINKS.items():
            with open("/dev/full", "wb") as full:
                done = subprocess.run(command(audit, work, args)[0], stdout=full, stderr=subprocess.PIPE,
                                      preexec_fn=(lambda: os.close(1)) if sink == "closed" else None)
            told = [line for line in done.stderr.decode().splitlines() if "standard output" in line]
            if (done.returncode, told) != (2, ["mapnote-audit: cannot write standard output: " + reason]):
                failures.append("%s, %s: exit %d, %r" % (args, sink, done.returncode, done.stderr))
    synced = [(MODES[4], "W/p.htm"), (MODES[3], "T"), (["--report", "R", "W"], "R")] if shutil.which("strace") else []
    print("" if synced else "strace is not installed: the folder syncs are not checked")
    for args, written in synced:
        line, files = command(audit, work, args)
        subprocess.run(["strace", "-f", "-o", work + ".log", "-e", "trace=openat,rename,fsync"] + line, capture_output=True)
        with open(work + ".log") as f:
            trace = f.read()
        target = files[written[0]] + written[1:]
        renamed = trace.find('"%s") = 0' % target)
        folder = re.escape(os.path.dirname(target))
        if renamed < 0 or not re.search(r'"%s", [^)]*O_DIRECTORY[^)]*\)\s+= (\d+)\n(.*\n)*?\d+ +fsync\(\1\)\s+= 0' % folder,
                                        trace[renamed:]):
            failures.append("%s: its folder is not synced after the rename" % target)
    print("\n".join("FAIL " + failure for failure in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
