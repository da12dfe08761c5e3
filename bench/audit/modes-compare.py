#!/usr/bin/env python3
"""Times each output of mapnote-audit against the plain audit on the same
web, side by side (best of 5 each, taken in turns), with the peak memory of
each, and counts how often each run reads a page (through strace, where it
is installed), then adds the rows and their targets to the bench table.

    modes-compare.py MAPNOTE_AUDIT WEB BENCH_JSON

Every output beyond the text needs the whole web for its suggestions, but
each page is read once per run all the same: the targets are a time of at
most 1.3 times the plain audit's, a report in at most twice its memory, and
one reading of each page.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

RUNS = 5
TARGET_TIME_RATIO = 1.3  # an output's time over the plain audit's, at most
TARGET_MEMORY_RATIO = 2.0  # the report's peak memory over the plain audit's, at most
TIME = "/usr/bin/time"  # GNU time
PAGE = re.compile(r"\.(htm|html|shtml|asp)$", re.IGNORECASE)


def run(command):
    """Milliseconds of wall time and the peak resident memory in kB, which
    GNU time reads (a child forked from Python starts with Python's own)."""
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.perf_counter()
        done = subprocess.run([TIME, "-q", "-f", "%M", "-o", peak.name, *command],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        ms = (time.perf_counter() - start) * 1000
        if done.returncode not in (0, 1):
            raise SystemExit("%s failed: %s" % (" ".join(command), done.stderr.decode(errors="replace")))
        return ms, int(peak.read().split()[-1])


def reads_per_page(command, web, pages):
    """How often, on average, the run opens each page; None without strace."""
    strace = shutil.which("strace")
    if not strace:
        return None
    with tempfile.TemporaryDirectory() as scratch:
        log = os.path.join(scratch, "trace")
        subprocess.run([strace, "-f", "-qq", "-e", "trace=open,openat", "-o", log, *command],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        opened = 0
        with open(log, errors="replace") as f:
            for line in f:
                name = re.search(r'open(?:at)?\((?:[^,]+, )?"([^"]*)"', line)
                if name and " = -1 " not in line and PAGE.search(name.group(1)) and web in name.group(1):
                    opened += 1
    return opened / pages


def main(audit, web, bench_json):
    web = os.path.abspath(web)
    pages = sum(1 for folder, _, names in os.walk(web) for n in names if PAGE.search(n))
    with tempfile.TemporaryDirectory() as scratch:
        modes = {
            "plain": [audit, web],
            "--todo": [audit, "--todo", os.path.join(scratch, "todo.csv"), "--force", web],
            "--json": [audit, "--json", web],
            "--format sarif": [audit, "--format", "sarif", web],
            "--report": [audit, "--report", os.path.join(scratch, "report.html"), web],
        }
        times = {mode: [] for mode in modes}
        memory = {mode: [] for mode in modes}
        run(modes["plain"])  # the pages into the page cache
        for _ in range(RUNS):
            for mode, command in modes.items():
                ms, kb = run(command)
                times[mode].append(ms)
                memory[mode].append(kb)
        reads = {mode: reads_per_page(command, web, pages) for mode, command in modes.items()}

    plain_ms, plain_kb = min(times["plain"]), min(memory["plain"])
    rows, targets = [], []
    for mode in modes:
        ms, kb = min(times[mode]), min(memory[mode])
        ratio = ms / plain_ms
        read = reads[mode]
        print("mapnote-audit %-14s %8.1f ms (%.2fx the plain audit), %7d kB peak (%.2fx), %s" % (
            mode, ms, ratio, kb, kb / plain_kb, "reads per page: %.2f" % read if read is not None else "strace absent"))
        rows.append({"where": "native", "what": "mapnote-audit %s, %d pages" % (mode, pages), "ms": ms,
                     "peak_kb": kb, "time_ratio": ratio, "reads_per_page": read})
        if mode != "plain":
            targets.append({"target": "mapnote-audit %s at most %.1fx the plain audit's time" % (mode, TARGET_TIME_RATIO),
                            "value": ratio, "met": ratio <= TARGET_TIME_RATIO})
        if read is not None:
            targets.append({"target": "mapnote-audit %s reads each page once" % mode, "value": read, "met": read == 1})
    memory_ratio = min(memory["--report"]) / plain_kb
    targets.append({"target": "mapnote-audit --report at most %.1fx the plain audit's peak memory" % TARGET_MEMORY_RATIO,
                    "value": memory_ratio, "met": memory_ratio <= TARGET_MEMORY_RATIO})

    table = {"rows": [], "targets": []}
    if os.path.exists(bench_json):
        with open(bench_json) as f:
            table = json.load(f)
    names = {r["what"] for r in rows}
    goals = {t["target"] for t in targets}
    table["rows"] = [r for r in table["rows"] if r["what"] not in names] + rows
    table["targets"] = [t for t in table["targets"] if t["target"] not in goals] + targets
    with open(bench_json, "w") as f:
        json.dump(table, f, indent=2)
    for t in targets:
        if not t["met"]:
            print("not met: %s (%s)" % (t["target"], t["value"]))
    # Times on a shared machine vary; reading a page twice is a fault.
    return 0 if all(t["met"] for t in targets if "reads each page" in t["target"]) else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
