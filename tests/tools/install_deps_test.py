#!/usr/bin/env python3
"""tools/install-deps.sh against a package mirror in the middle of a sync,
with no network: apt-get, dpkg-query, dpkg and sudo are stubs on PATH that
fail the way such a mirror makes apt fail, one scenario each; then what the
script did (apt's calls, its exit status and its words), and whether the
Makefile's `deps` goes on.

    install_deps_test.py SOURCE_DIR WORK_DIR
"""
import json
import os
import shutil
import subprocess
import sys

PIN = "Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n"
UPDATE_PARTIAL = (
    "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz"
    "  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]\n"
    "E: Some index files failed to download. They have been ignored, or old ones used instead.\n")
BROKEN = (
    "Some packages could not be installed. This may mean that you have\n"
    "requested an impossible situation or if you are using the unstable\n"
    "distribution that some required packages have not yet been created\n"
    "or been moved out of Incoming.\n"
    "The following information may help to resolve the situation:\n\n"
    "The following packages have unmet dependencies:\n"
    " libwine:i386 : Depends: libgnutls30:i386 (>= 3.7.5) but it is not going to be installed\n"
    "E: Unable to correct problems, you have held broken packages.\n")


# dpkg-query, dpkg and sudo, asked often, as shell scripts; missing.txt
# holds the packages not installed, one a line.
SHELL_STUBS = {
    "dpkg-query": 'for p; do :; done\ngrep -qxF -- "$p" "$STUB_STATE/missing.txt" && exit 1\nprintf "install ok installed"\n',
    "dpkg": '[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n',
    "sudo": 'exec "$@"\n',
}


# apt-get.
def stub(args):
    state = os.environ["STUB_STATE"]
    with open(os.path.join(state, "scenario.json")) as f:
        scenario = json.load(f)
    with open(os.path.join(state, "missing.txt")) as f:
        missing = f.read().split()
    calls_path = os.path.join(state, "calls.json")
    calls = json.load(open(calls_path)) if os.path.exists(calls_path) else []

    def log(call):
        calls.append(call)
        with open(calls_path, "w") as f:
            json.dump(calls, f)

    # apt-get
    if args[0] == "update":
        updates = [c for c in calls if c["command"] == "update"]
        outcomes = scenario.get("update", ["ok"])
        outcome = outcomes[min(len(updates), len(outcomes) - 1)]
        log({"command": "update"})
        if outcome == "partial":
            sys.stderr.write(UPDATE_PARTIAL)
            return 100
        return 0
    assert args[0] == "install", args
    options = [a.split("=", 1)[1] for a in args if a.startswith("Dir::Etc::PreferencesParts=")]
    packages = [a for a in args[1:] if not a.startswith("-") and "=" not in a]
    pins = {}
    for folder in options:
        for part in sorted(os.listdir(folder)):
            with open(os.path.join(folder, part)) as f:
                pins[part] = f.read()
    installs = [c for c in calls if c["command"] == "install"]
    outcomes = scenario["install"]
    outcome = outcomes[min(len(installs), len(outcomes) - 1)]
    log({"command": "install", "packages": packages, "preferences_parts": options, "pins": pins})
    ok = {"ok": True, "broken": False, "pin": PIN in pins.values(),
          "no-i386": not any(p.endswith(":i386") for p in packages)}[outcome]
    if not ok:
        print("Reading package lists...\nBuilding dependency tree...\nReading state information...")
        print(BROKEN, end="")
        return 100
    with open(os.path.join(state, "missing.txt"), "w") as f:
        f.writelines(p + "\n" for p in missing if p not in packages)
    return 0


# Each scenario: what is missing, how apt answers, and what must follow.
SCENARIOS = [
    {"name": "nothing missing", "missing": [], "install": ["broken"],
     "status": 0, "calls": []},
    {"name": "update fails in part, install works", "missing": ["cmake", "wine32:i386"],
     "update": ["partial"], "install": ["ok"],
     "status": 0, "calls": ["update", "install"], "stderr": ["Mirror sync in progress?", "warning: apt-get update failed"]},
    {"name": "install works after a fresh update", "missing": ["wine32:i386"],
     "update": ["partial", "ok"], "install": ["broken", "ok"],
     "status": 0, "calls": ["update", "install", "update", "install"]},
    {"name": "install works only with the security suite pinned", "missing": ["wine32:i386", "xvfb"],
     "update": ["partial"], "install": ["broken", "broken", "pin"],
     "status": 0, "calls": ["update", "install", "update", "install", "install pinned"]},
    {"name": "never installs", "missing": ["cmake", "wine32:i386"],
     "update": ["partial"], "install": ["broken"],
     "status": 1, "calls": ["update", "install", "update", "install", "install pinned", "install", "install pinned"],
     "stderr": ["error: could not install: cmake wine32:i386",
                "E: Unable to correct problems, you have held broken packages.",
                "try by hand: {sudo}apt-get update && {sudo}apt-get install --no-install-recommends cmake wine32:i386"]},
    {"name": "all but the 32-bit Wine installs", "missing": ["cmake", "wine32:i386", "xvfb"],
     "update": ["partial"], "install": ["no-i386"],
     "status": 3, "calls": ["update", "install", "update", "install", "install pinned", "install"],
     "left": ["wine32:i386"],
     "stderr": ["warning: could not install: wine32:i386",
                "libwine:i386 : Depends: libgnutls30:i386",
                "try by hand: {sudo}apt-get update && {sudo}apt-get install --no-install-recommends wine32:i386"],
     "stdout": ["make test and make demo run Wine on the 64-bit build"]},
]


def run_scenario(source, work, scenario, command):
    state = os.path.join(work, "state")
    shutil.rmtree(state, ignore_errors=True)
    os.makedirs(os.path.join(state, "bin"))
    with open(os.path.join(state, "scenario.json"), "w") as f:
        json.dump(scenario, f)
    with open(os.path.join(state, "missing.txt"), "w") as f:
        f.writelines(p + "\n" for p in scenario["missing"])
    stubs = dict(SHELL_STUBS, **{"apt-get": 'exec %s %s --stub "$@"\n' % (sys.executable, os.path.abspath(__file__))})
    for name, body in stubs.items():
        path = os.path.join(state, "bin", name)
        with open(path, "w") as f:
            f.write("#!/bin/sh\n" + body)
        os.chmod(path, 0o755)
    env = dict(os.environ, STUB_STATE=state, PATH=os.path.join(state, "bin") + os.pathsep + os.environ["PATH"])
    done = subprocess.run(command, cwd=source, env=env, capture_output=True, text=True, timeout=60)
    calls_path = os.path.join(state, "calls.json")
    calls = json.load(open(calls_path)) if os.path.exists(calls_path) else []
    with open(os.path.join(state, "missing.txt")) as f:
        left = f.read().split()
    return done, calls, left


def main(source, work):
    sudo = "" if os.getuid() == 0 else "sudo "
    failures = []
    for s in SCENARIOS:
        done, calls, left = run_scenario(source, work, s, [os.path.join(source, "tools", "install-deps.sh")])
        said = "\n  stdout: %r\n  stderr: %r" % (done.stdout, done.stderr)

        def expect(what, got, wanted):
            if got != wanted:
                failures.append("%s: %s: got %r, expected %r%s" % (s["name"], what, got, wanted, said))

        expect("exit status", done.returncode, s["status"])
        expect("apt-get calls", [c["command"] + (" pinned" if c.get("preferences_parts") else "") for c in calls],
               s["calls"])
        installs = [c for c in calls if c["command"] == "install"]
        for k, c in enumerate(installs):
            if c["preferences_parts"]:
                expect("the pin among the preference parts", PIN in c["pins"].values(), True)
            # Three tries of everything, then everything but the 32-bit Wine.
            wanted = [p for p in s["missing"] if k < 3 or not p.endswith(":i386")]
            expect("packages asked for", c["packages"], wanted)
        expect("packages left missing", left, s.get("left", s["missing"] if s["status"] else []))
        for line in s.get("stderr", []):
            expect("stderr says %r" % line, line.format(sudo=sudo) in done.stderr, True)
        for line in s.get("stdout", []):
            expect("stdout says %r" % line, line in done.stdout, True)
        if s["status"] != 0:
            # The Makefile goes on without the 32-bit Wine only.
            made, _, _ = run_scenario(source, work, s, ["make", "--no-print-directory", "-s", "deps"])
            expect("make deps succeeds", made.returncode == 0, s["status"] == 3)
        print("%s: %s" % ("FAILED" if any(f.startswith(s["name"] + ":") for f in failures) else "ok", s["name"]))
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--stub":
        sys.exit(stub(sys.argv[2:]))
    sys.exit(main(sys.argv[1], sys.argv[2]))
