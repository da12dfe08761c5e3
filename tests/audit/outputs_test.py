#!/usr/bin/env python3
"""What mapnote-audit's outputs come to, seen from outside the process:
standard output that cannot be written fails the run, in every output mode,
and every file it writes (page, to-do list, report) has its folder synced
after the rename that puts it in place, as strace shows.

    outputs_test.py MAPNOTE_AUDIT WORK_DIR
"""
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys

PAGE = b'<html><body><img src="m.png" usemap="#m" alt="">\n<map name="m"><area href="a.htm"></map></body></html>\n'

# (mode, arguments after the program; WEB, LIST, TODO and REPORT stand for
# the files of the run)
MODES = [
    ("text", ["WEB"]),
    ("json", ["--json", "WEB"]),
    ("sarif", ["--format", "sarif", "WEB"]),
    ("todo", ["--todo", "TODO", "WEB"]),
    ("report", ["--report", "REPORT", "WEB"]),
    ("apply", ["--apply", "LIST", "WEB"]),
    ("help", ["--help"]),
]

# (sink, what the child's standard output is, the reason told)
SINKS = [
    ("full disk", "full", "No space left on device"),
    ("closed", "closed", "Bad file descriptor"),
]


def make_run(work, name):
    """A web of one page, its filled-in list, and where the to-do list and
    the report go."""
    root = os.path.join(work, name)
    shutil.rmtree(root, ignore_errors=True)
    web = os.path.join(root, "web")
    os.makedirs(web)
    with open(os.path.join(web, "p.htm"), "wb") as f:
        f.write(PAGE)
    listed = os.path.join(root, "list.csv")
    with open(listed, "w") as f:
        f.write("path,area,href,new_alt,sha256\r\np.htm,0,a.htm,Apples,%s\r\n" % hashlib.sha256(PAGE).hexdigest())
    return {"WEB": web, "LIST": listed, "TODO": os.path.join(root, "todo.csv"), "REPORT": os.path.join(root, "report.html")}


def run(command, sink):
    stdout, pre = subprocess.DEVNULL, None
    if sink == "full":
        stdout = open("/dev/full", "wb")
    elif sink == "closed":
        pre = lambda: os.close(1)
    elif sink == "broken pipe":
        reader, writer = os.pipe()
        os.close(reader)
        stdout = writer
    try:
        return subprocess.run(command, stdout=stdout, stderr=subprocess.PIPE, preexec_fn=pre, timeout=60)
    finally:
        if sink == "full":
            stdout.close()
        elif sink == "broken pipe":
            os.close(stdout)


def check_write_failures(audit, work, failures):
    for mode, args in MODES:
        for sink, how, reason in SINKS + [("broken pipe", "broken pipe", None)]:
            files = make_run(work, "out")
            done = run([audit] + [files.get(a, a) for a in args], how)
            err = done.stderr.decode(errors="replace")
            told = [line for line in err.splitlines() if "standard output" in line]
            where = "%s, %s" % (mode, sink)
            if reason is None:
                # Quiet, as any program in a pipeline whose reader has gone.
                if told or done.returncode not in (-signal.SIGPIPE, 0, 1):
                    failures.append("%s: exit %d, %r" % (where, done.returncode, err))
                continue
            if done.returncode != 2:
                failures.append("%s: exit %d, not 2 (%r)" % (where, done.returncode, err))
            if told != ["mapnote-audit: cannot write standard output: " + reason]:
                failures.append("%s: stderr %r" % (where, err))


def check_folder_syncs(audit, work, failures):
    if not shutil.which("strace"):
        print("note: strace is not installed; the folder syncs are not checked")
        return
    for mode, args, written in [("apply", ["--apply", "LIST", "WEB"], "WEB/p.htm"),
                                ("todo", ["--todo", "TODO", "WEB"], "TODO"),
                                ("report", ["--report", "REPORT", "WEB"], "REPORT")]:
        files = make_run(work, "sync")
        log = os.path.join(work, "strace.log")
        target = files[written.split("/")[0]] + written[len(written.split("/")[0]):]
        done = subprocess.run(["strace", "-f", "-qq", "-o", log, "-e", "trace=open,openat,rename,renameat,renameat2,fsync",
                               audit] + [files.get(a, a) for a in args], capture_output=True, timeout=60)
        if done.returncode not in (0, 1):
            failures.append("%s under strace: exit %d: %r" % (mode, done.returncode, done.stderr))
            continue
        folder = os.path.dirname(target)
        opened, renamed, synced = {}, False, False
        with open(log) as f:
            for line in f:
                m = re.match(r'\d+ +(?:openat\(AT_FDCWD, |open\()"([^"]*)".*\)\s+= (\d+)$', line)
                if m:
                    opened[m.group(2)] = os.path.normpath(m.group(1))
                elif re.match(r'\d+ +rename(?:at2?)?\(.*"%s"' % re.escape(target), line) and line.rstrip().endswith("= 0"):
                    renamed = True
                else:
                    m = re.match(r"\d+ +fsync\((\d+)\)\s+= 0$", line.rstrip())
                    if m and renamed and opened.get(m.group(1)) == folder:
                        synced = True
        if not renamed:
            failures.append("%s: no rename onto %s seen" % (mode, target))
        elif not synced:
            failures.append("%s: %s not synced after the rename onto %s" % (mode, folder, target))


def main(audit, work):
    os.makedirs(work, exist_ok=True)
    failures = []
    check_write_failures(audit, work, failures)
    check_folder_syncs(audit, work, failures)
    for failure in failures:
        print("FAIL " + failure)
    print("%d output modes with %d sinks, and 3 written files' folders, checked" % (len(MODES), len(SINKS) + 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
