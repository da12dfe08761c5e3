"""What the Wine tests of mapnote-audit.exe share: running it, checking a
result, and skipping where a 32-bit build cannot run."""
import subprocess
import sys


def run(wine_run, exe, *args):
    """The exit status and the output: tools/wine-run gives the program's
    stderr and stdout as one stream, so both are checked in it."""
    done = subprocess.run([wine_run, exe, *args], stdout=subprocess.PIPE)
    return done.returncode, done.stdout.decode("utf-8").replace("\r\n", "\n")


def check(what, got, expected):
    if got != expected:
        print("FAILED: %s\n  got:      %r\n  expected: %r" % (what, got, expected))
        sys.exit(1)
    print("ok: %s" % what)


def cannot_run(wine_run, exe):
    """Whether `exe` is a 32-bit program on a kernel that runs none; says so."""
    with open(exe, "rb") as f:
        header = f.read(4096)
    pe = int.from_bytes(header[60:64], "little")
    if header[pe + 4:pe + 6] == b"\x4c\x01" and subprocess.run([wine_run, "--runs-32-bit"]).returncode != 0:
        print("This kernel runs no 32-bit programs: skipped")
        return True
    return False
