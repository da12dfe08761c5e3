#!/usr/bin/env python3
"""make install's rules: cmake --install of the build tree into a scratch
DESTDIR puts mapnote-audit into PREFIX/bin and its manual page into
PREFIX/share/man/man1, and nothing else; the installed program checks the
sample web and says the project's version; the installed page renders and
lints without a warning and describes every option --help lists.

    install_test.py CMAKE BUILD_TREE VERSION SAMPLE_WEB SCRATCH
"""
import os
import re
import shutil
import subprocess
import sys

PREFIX = "/opt/mapnote test"  # a space: every step must quote it
SAMPLE_FINDINGS = [
    'sitemap.htm:12:3: missing-alt: area of map "sitemap" linking to "breads.htm" has no alt text',
    'sitemap.htm:13:3: empty-alt: area of map "sitemap" linking to "cakes.htm" has a blank alt text',
    'sitemap.htm:15:3: missing-alt: area of map "sitemap" linking to "orders.htm" has no alt text',
    'sitemap.htm:16:3: missing-alt: area of map "sitemap" linking to "mailto:hello@harbourlane.example" has no alt text',
    'visit.htm:11:3: missing-alt: area of map "street" linking to "index.htm" has no alt text',
    'visit.htm:12:3: empty-alt: area of map "street" linking to "cakes.htm" has a blank alt text',
    'visit.htm:13:3: missing-alt: area of map "street" linking to "orders.htm" has no alt text',
    "4 pages, 11 areas: 5 missing-alt, 2 empty-alt, 0 alt-without-href",
]


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def main(cmake, tree, version, sample, scratch):
    failures = []
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    env = dict(os.environ, DESTDIR=scratch)
    done = run(cmake, "--install", tree, "--prefix", PREFIX, env=env)
    if done.returncode != 0:
        print(done.stdout + done.stderr)
        return 1
    root = scratch + PREFIX
    program = os.path.join(root, "bin", "mapnote-audit")
    manual = os.path.join(root, "share", "man", "man1", "mapnote-audit.1")
    installed = sorted(os.path.join(folder, name) for folder, _, names in os.walk(scratch) for name in names)
    if installed != sorted([program, manual]):
        failures.append("installed %s" % installed)
    with open(os.path.join(tree, "install_manifest.txt")) as f:
        manifest = sorted(scratch + path for path in f.read().splitlines())  # without the DESTDIR
    if manifest != sorted([program, manual]):
        failures.append("install_manifest.txt lists %s" % manifest)
    if not os.access(program, os.X_OK):
        failures.append("%s is not executable" % program)

    done = run(program, ".", cwd=sample)
    if done.returncode != 1 or done.stdout.splitlines() != SAMPLE_FINDINGS or done.stderr:
        failures.append("on the sample web: exit %d\n%s%s" % (done.returncode, done.stdout, done.stderr))
    done = run(program, "--version")
    if done.stdout != "mapnote-audit %s\n" % version or done.returncode != 0:
        failures.append("--version printed %r" % done.stdout)

    # groff with every warning, mandoc's lint with every message, and man.
    for command in (["groff", "-ww", "-man", "-Tutf8", "-z", manual], ["mandoc", "-T", "lint", "-W", "all", manual],
                    ["man", "--warnings", "-l", manual]):
        done = run(*command, env=dict(os.environ, MANWIDTH="80"))
        if done.returncode != 0 or done.stderr or (command[0] == "mandoc" and done.stdout):
            failures.append("%s: exit %d\n%s%s" % (command[0], done.returncode, done.stdout, done.stderr))
        if command[0] == "man":
            page = re.sub(".\b", "", done.stdout)  # any overstriking left for bold
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "FILES", "EXAMPLES"):
        if not re.search(r"^%s$" % section, page, re.M):
            failures.append("the manual page has no %s" % section)
    options_section = page[page.find("\nOPTIONS\n"):page.find("\nEXIT STATUS\n")]
    described = set(re.findall(r"^ {7}(--[a-z-]+)", options_section, re.M))
    listed = set(re.findall(r"^  (--[a-z-]+)", run(program, "--help").stdout, re.M))
    if not listed or described != listed:
        failures.append("--help lists %s, the manual page describes %s" % (sorted(listed), sorted(described)))

    for failure in failures:
        print("FAIL " + failure)
    print("installed into DESTDIR %s, prefix %s: %d failures" % (scratch, PREFIX, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
