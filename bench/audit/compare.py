#!/usr/bin/env python3
"""Times mapnote-audit, reading every page once (cat) and html-validate
(its area-alt rule alone) on the same web, side by side, checks that the
audit and html-validate find the areas make-web.py wrote, line for line,
and adds the times and both ratios to the bench table.

    compare.py MAPNOTE_AUDIT WEB HTML_VALIDATE_DIR BENCH_JSON

HTML_VALIDATE_DIR holds node_modules/html-validate; without Node, or
without it, html-validate is skipped with a note. html-validate places a
finding at the area's alt or href attribute and has one rule name for a
missing and an empty alt; its findings are mapped to the area tag's '<' and
to our rule names before they are compared.
"""
import json
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 5
TARGET_RATIO = 300  # html-validate's time over the audit's, at least
TARGET_CAT_RATIO = 1.5  # the audit's time over cat's, at most
EXPECTED = "expected-findings.json"  # what make-web.py wrote
CONFIG = {"root": True, "elements": ["html5"], "rules": {"area-alt": ["error", {"accessible": True}]}}


def timed(command, output=True):
    """Milliseconds of wall time; without `output` stdout goes to /dev/null."""
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.PIPE if output else subprocess.DEVNULL, stderr=subprocess.PIPE)
    return (time.perf_counter() - start) * 1000, done


def cpu_ms():
    """The processor time, user and system, of the children waited for so far."""
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (used.ru_utime + used.ru_stime) * 1000


def web_files(web):
    for folder, _, names in os.walk(web):
        for name in names:
            yield os.path.join(folder, name)


def position(text, at):
    """Line and column of text[at], with CR LF, LF and a lone CR ending lines."""
    before = text[:at]
    lines = re.split(r"\r\n|\r|\n", before)
    return len(lines), len(lines[-1]) + 1


def theirs(report, web):
    """html-validate's findings as ours: path, line, column, rule."""
    found = []
    for result in report:
        path = os.path.relpath(result["filePath"], web).replace(os.sep, "/")
        with open(result["filePath"], "rb") as f:
            text = f.read().decode("utf-8", errors="replace")  # as Node reads the file
        for message in result["messages"]:
            if message["ruleId"] != "area-alt":
                raise SystemExit("unexpected rule %s in %s" % (message["ruleId"], path))
            offset = message["offset"]
            tag = text.lower().rfind("<area", 0, offset + 1)
            if message["context"] == "missing-href":
                rule = "alt-without-href"
            else:
                rule = "empty-alt" if text[offset:offset + 3].lower() == "alt" else "missing-alt"
            line, column = position(text, tag)
            found.append((path, line, column, rule))
    return sorted(found)


def main(audit, web, validate_dir, bench_json):
    pages = sorted(p for p in web_files(web) if p.lower().endswith((".htm", ".html")))
    size = sum(os.path.getsize(p) for p in pages)
    for p in pages:  # every run reads the web from the page cache
        with open(p, "rb") as f:
            f.read()

    # Side by side, turn about: the audit (its text to /dev/null, as cat's),
    # and cat of the same pages; the best of each.
    # Their processor time too: on a busy machine the wall time is mostly
    # waiting for a core.
    times, cat_times, cpu, cat_cpu = [], [], [], []
    for _ in range(RUNS):
        before = cpu_ms()
        ms, done = timed([audit, web], output=False)
        if done.returncode not in (0, 1):
            raise SystemExit("mapnote-audit failed: " + done.stderr.decode())
        times.append(ms)
        cpu.append(cpu_ms() - before)
        before = cpu_ms()
        ms, done = timed(["cat", *pages], output=False)
        if done.returncode != 0:
            raise SystemExit("cat failed: " + done.stderr.decode())
        cat_times.append(ms)
        cat_cpu.append(cpu_ms() - before)
    ours_ms, cat_ms = min(times), min(cat_times)
    done = subprocess.run([audit, "--json", web], capture_output=True)
    ours = sorted((f["path"], f["line"], f["column"], f["rule"]) for f in json.loads(done.stdout))
    cat_ratio = ours_ms / cat_ms
    print("mapnote-audit: %d pages, %d bytes, %d findings; %.1f ms (best of %d: %s)" % (
        len(pages), size, len(ours), ours_ms, RUNS, ", ".join("%.1f" % t for t in times)))
    print("cat of the same pages: %.1f ms (best of %d: %s)" % (cat_ms, RUNS, ", ".join("%.1f" % t for t in cat_times)))
    print("ratio to cat: %.2fx (target: at most %.1fx); processor time %.0f ms and %.0f ms (best of %d), %.2fx" % (
        cat_ratio, TARGET_CAT_RATIO, min(cpu), min(cat_cpu), RUNS, min(cpu) / max(min(cat_cpu), 1)))

    status = 0
    expected_path = os.path.join(web, EXPECTED)
    expected = None
    if os.path.exists(expected_path):
        with open(expected_path) as f:
            expected = sorted((e["path"], e["line"], e["column"], e["rule"]) for e in json.load(f))
        if ours != expected:
            status = 1
            for line in sorted(set(ours) ^ set(expected))[:20]:
                print("  only %s: %s:%d:%d: %s" % ("ours" if line in set(ours) else "make-web's", *line))
        print("mapnote-audit finds what make-web.py wrote: %s" % ("yes" if ours == expected else "NO"))

    rows = [{"where": "native", "what": "mapnote-audit, %d pages, %d bytes" % (len(pages), size), "ms": ours_ms,
             "cpu_ms": min(cpu), "pages": len(pages), "bytes": size, "findings": len(ours)},
            {"where": "native", "what": "cat of the same pages, for mapnote-audit", "ms": cat_ms,
             "cpu_ms": min(cat_cpu), "bytes": size}]
    targets = [{"target": "mapnote-audit at most %.1fx the time of cat of its pages" % TARGET_CAT_RATIO,
                "value": cat_ratio, "met": cat_ratio <= TARGET_CAT_RATIO}]
    if expected is not None:
        targets.append({"target": "mapnote-audit finds the areas make-web.py wrote", "value": len(expected),
                        "met": ours == expected})
    node = shutil.which("node")
    cli = os.path.join(validate_dir, "node_modules", "html-validate", "bin", "html-validate.mjs")
    if not node or not os.path.exists(cli):
        print("note: Node or html-validate is not installed; html-validate was not run")
        rows.append({"where": "node", "what": "html-validate skipped: Node or html-validate absent", "ms": None})
    else:
        with open(os.path.join(validate_dir, "node_modules", "html-validate", "package.json")) as f:
            version = json.load(f)["version"]
        with tempfile.TemporaryDirectory() as scratch:
            config, report = os.path.join(scratch, "config.json"), os.path.join(scratch, "report.json")
            with open(config, "w") as f:
                json.dump(CONFIG, f)
            # Into a file: Node may exit before a large report has gone down a pipe.
            hv_ms, done = timed([node, cli, "--config", config, "--ext", "htm,html", "-f", "json=" + report, web])
            if done.returncode not in (0, 1):
                raise SystemExit("html-validate failed: " + done.stderr.decode())
            with open(report) as f:
                them = theirs(json.load(f), web)
        ratio = hv_ms / ours_ms
        print("html-validate %s (area-alt only): %d findings; %.1f ms" % (version, len(them), hv_ms))
        print("ratio: %.0fx (target: at least %dx)" % (ratio, TARGET_RATIO))
        agree = ours == them
        if not agree:
            status = 1
            for line in sorted(set(ours) ^ set(them))[:20]:
                print("  only %s: %s:%d:%d: %s" % ("ours" if line in set(ours) else "html-validate's", *line))
        print("findings agree line for line: %s" % ("yes" if agree else "NO"))
        rows.append({"where": "node", "what": "html-validate %s, area-alt only, same web" % version, "ms": hv_ms,
                     "findings": len(them)})
        targets.append({"target": "mapnote-audit at least %dx faster than html-validate" % TARGET_RATIO,
                        "value": ratio, "met": ratio >= TARGET_RATIO})
        targets.append({"target": "mapnote-audit and html-validate agree line for line", "value": len(ours),
                        "met": agree})

    table = {"rows": [], "targets": []}
    if os.path.exists(bench_json):
        with open(bench_json) as f:
            table = json.load(f)
    table["rows"] = [r for r in table["rows"] if r["where"] not in ("native", "node") or "mapnote-audit" not in r["what"]
                     and "html-validate" not in r["what"]] + rows
    table["targets"] = [t for t in table["targets"] if "mapnote-audit" not in t["target"]] + targets
    with open(bench_json, "w") as f:
        json.dump(table, f, indent=2)
    return status


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
