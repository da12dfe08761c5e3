#!/usr/bin/env python3
"""make install's rules: cmake --install of the build tree into a scratch
DESTDIR puts mapnote-audit into PREFIX/bin and its manual page into
PREFIX/share/man/man1, and nothing else; the installed program checks the
sample web and says the project's version; the installed page renders and
lints without a warning, describes every option --help lists, and its
EXAMPLES print what the installed program prints; the Debian package holds
the same two files and depends on the libraries the program links; and make
install from a clean tree asks for the tool's packages only.

    install_test.py CMAKE BUILD_TREE VERSION SAMPLE_WEB SCRATCH SOURCE_DIR
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


# The manual page's EXAMPLES, run in order in a copy of the sample web: each
# "$ " line a command, the lines after it what it prints (both streams).
def examples_print_what_the_program_does(manual, program, sample, scratch, **_):
    roff = open(manual).read()
    roff = roff[roff.index(".SH EXAMPLES"):roff.index(".SH SEE ALSO")].replace("\\-", "-").replace("\\&", "")
    lines = [line for block in roff.split(".EE\n")[:-1] for line in block.split(".EX\n", 1)[1].splitlines()]
    commands = [(k, line[2:]) for k, line in enumerate(lines) if line.startswith("$ mapnote-audit ")]
    shutil.copytree(sample, os.path.join(scratch, "examples", "web"))
    env = dict(os.environ, PATH=os.path.dirname(program) + os.pathsep + os.environ["PATH"])
    failures = [] if len(commands) >= 4 and lines[0].startswith("$ ") else ["EXAMPLES shows %s" % lines]
    for (k, command), (end, _) in zip(commands, commands[1:] + [(len(lines), "")]):
        done = subprocess.run(command, shell=True, cwd=scratch, env=env, text=True,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if done.stdout.splitlines() != lines[k + 1:end]:
            failures.append("EXAMPLES: %s printed\n%s" % (command, done.stdout))
    return failures


# make deb's package, made from the build tree: its three files, the control
# fields, and each library the program links by the package that holds it.
def package_holds_the_tool(tree, program, scratch, version, **_):
    done = run("cpack", "-G", "DEB", "--config", os.path.join(tree, "CPackConfig.cmake"), "-B", scratch)
    arch = run("dpkg", "--print-architecture").stdout.strip()
    deb = os.path.join(scratch, "mapnote-audit_%s_%s.deb" % (version, arch))
    if done.returncode != 0 or not os.path.exists(deb):
        return ["cpack: exit %d, made %s\n%s%s" % (done.returncode, os.listdir(scratch), done.stdout, done.stderr)]
    files = [line.split()[-1] for line in run("dpkg-deb", "-c", deb).stdout.splitlines()]
    failures = [] if sorted(f for f in files if not f.endswith("/")) == [
        "./usr/bin/mapnote-audit", "./usr/share/doc/mapnote-audit/copyright",
        "./usr/share/man/man1/mapnote-audit.1.gz"] else ["the package holds %s" % files]
    fields = dict(line.split(": ", 1) for line in run("dpkg-deb", "-f", deb).stdout.splitlines() if ": " in line)
    wanted = {"Package": "mapnote-audit", "Version": version, "Architecture": arch, "Section": "web",
              "Description": "check a web's image-map areas for alt text, write texts back"}
    if {k: fields.get(k) for k in wanted} != wanted or "@" not in fields.get("Maintainer", ""):
        failures.append("control fields %s" % fields)
    depends = {d.split()[0] for d in fields.get("Depends", "").split(", ") if d}
    for library in re.findall(r"=> (/\S+)", run("ldd", program).stdout):
        # /lib and /usr/lib are one folder; dpkg knows each file by one name.
        owners = {run("dpkg", "-S", path).stdout.split(":")[0] for path in (library, os.path.realpath(library))}
        if not owners & depends:
            failures.append("Depends %s leaves out %s (%s)" % (sorted(depends), owners, library))
    return failures


# From a clean tree, what make install and make deb would run: the packages
# they ask tools/install-deps.sh for, and a build of the tool alone.
def install_asks_for_the_tool_only(source, scratch, **_):
    failures, env = [], {k: v for k, v in os.environ.items() if k not in ("MAKEFLAGS", "MFLAGS", "MAKELEVEL")}
    for target, wanted in (("install", {"cmake", "g++", "make", "libssl-dev"}), ("deb", {"dpkg-dev"})):
        done = run("make", "-n", "--no-print-directory", target, "BUILD=" + os.path.join(scratch, "build"),
                   cwd=source, env=env)
        recipe = done.stdout.splitlines()
        asked = set(" ".join(run("sh", "-c", line.replace(".sh", ".sh --print", 1), cwd=source).stdout
                             for line in recipe if line.startswith("tools/install-deps.sh")).split())
        others = [p for p in asked if re.match(r"wine|mingw|chromium|xvfb|wixl|libgtest|clang|valgrind", p)]
        builds = [line for line in recipe if line.startswith("cmake --build")]
        if done.returncode or not wanted <= asked or others or not builds or "-DTESTS=OFF" not in done.stdout \
                or any("--target mapnote_audit" not in line for line in builds):
            failures.append("make %s asks for %s and runs\n%s%s" % (target, sorted(asked), done.stdout, done.stderr))
    return failures


def main(cmake, tree, version, sample, scratch, source):
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
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "ENVIRONMENT", "FILES", "EXAMPLES"):
        if not re.search(r"^%s$" % section, page, re.M):
            failures.append("the manual page has no %s" % section)
    options_section = page[page.find("\nOPTIONS\n"):page.find("\nEXIT STATUS\n")]
    described = set(re.findall(r"^ {7}(--[a-z-]+)", options_section, re.M))
    listed = set(re.findall(r"^  (--[a-z-]+)", run(program, "--help").stdout, re.M))
    if not listed or described != listed:
        failures.append("--help lists %s, the manual page describes %s" % (sorted(listed), sorted(described)))

    for check in (examples_print_what_the_program_does, package_holds_the_tool, install_asks_for_the_tool_only):
        folder = os.path.join(scratch + "-checks", check.__name__)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        failures += check(manual=manual, program=program, sample=sample, scratch=folder, tree=tree,
                          version=version, source=source)

    for failure in failures:
        print("FAIL " + failure)
    print("installed into DESTDIR %s, prefix %s: %d failures" % (scratch, PREFIX, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:7]))
