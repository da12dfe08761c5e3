#!/usr/bin/env python3
"""outputs_test.py MAPNOTE_AUDIT WORK_DIR: standard output that cannot be
written fails every mode (exit 2, the system's reason on one line), and each
file written has its folder synced after its rename, as strace (if any) sees."""
import hashlib, os, re, shutil, subprocess, sys

PAGE = b'<map name="m"><area href="a.htm"></map>\n'
MODES = [["W"], ["--json", "W"], ["--format", "sarif", "W"], ["--todo", "T", "W"], ["--apply", "L", "W"]]


def command(audit, work, args):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work + "/w")
    open(work + "/w/p.htm", "wb").write(PAGE)
    open(work + "/l.csv", "w").write("path,area,href,new_alt,sha256\np.htm,0,a.htm,A,%s\n" % hashlib.sha256(PAGE).hexdigest())
    return [audit] + [{"W": work + "/w", "L": work + "/l.csv", "T": work + "/t.csv", "R": work + "/r.htm"}.get(a, a) for a in args]


def main(audit, work):
    failures = []
    for args in MODES:
        for sink, reason in (("/dev/full", "No space left on device"), ("closed", "Bad file descriptor")):
            done = subprocess.run(command(audit, work, args), stdout=open("/dev/full", "wb"), stderr=subprocess.PIPE,
                                  preexec_fn=(lambda: os.close(1)) if sink == "closed" else None)
            told = [line for line in done.stderr.decode().splitlines() if "standard output" in line]
            if (done.returncode, told) != (2, ["mapnote-audit: cannot write standard output: " + reason]):
                failures.append("%s, %s: exit %d, %r" % (args, sink, done.returncode, done.stderr))
    for args, written in [(MODES[4], "/w/p.htm"), (MODES[3], "/t.csv"), (["--report", "R", "W"], "/r.htm")]:
        if shutil.which("strace"):
            subprocess.run(["strace", "-f", "-o", work + ".log", "-e", "trace=openat,rename,fsync"] +
                           command(audit, work, args), capture_output=True)
            trace = open(work + ".log").read()
            after = trace[max(trace.find('"%s") = 0' % (work + written)), 0):]
            if not re.search(r'"%s", [^)]*O_DIRECTORY[^)]*\)\s+= (\d+)\n(.*\n)*?\d+ +fsync\(\1\)\s+= 0'
                             % re.escape(os.path.dirname(work + written)), after) or after == trace:
                failures.append("%s: its folder is not synced after the rename" % written)
    print("\n".join("FAIL " + failure for failure in failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
