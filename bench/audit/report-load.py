#!/usr/bin/env python3
"""Times the report page of the bench web in headless Chromium: the
report written by mapnote-audit --report, opened from the disk five times,
best of 5 for DOMContentLoaded and for every page of it built; then
axe-core's full run on it, once, when axe-core is installed. Adds the
times to the bench table.

    report-load.py MAPNOTE_AUDIT WEB AXE_CORE_DIR BENCH_JSON

Without Chromium, chromedriver or Selenium it says so and adds nothing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

RUNS = 5
TARGET_DCL_MS = 1000  # DOMContentLoaded, at most
TARGET_AXE_MS = 60000  # axe-core's full run, at most


def main(audit, web, axe_dir, bench_json):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        chromium = None
    if not chromium or not shutil.which("chromedriver"):
        print("note: Chromium, chromedriver or Selenium is not installed, so the report's load time is not measured")
        return 0
    work = tempfile.mkdtemp(prefix="report-load-")
    try:
        report = os.path.join(work, "report.html")
        done = subprocess.run([audit, "--report", report, web], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        if done.returncode not in (0, 1):
            raise SystemExit("mapnote-audit --report failed: " + done.stderr.decode("utf-8", "replace"))
        size = os.path.getsize(report)
        options = webdriver.ChromeOptions()
        options.binary_location = chromium
        for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--window-size=1280,900",
                    "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
                    "--user-data-dir=" + os.path.join(work, "profile")):
            options.add_argument(arg)
        driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
        try:
            loads, builds = [], []
            for _ in range(RUNS):
                driver.get("about:blank")  # the last report's teardown is not counted
                time.sleep(1)
                driver.get("file://" + report)
                for _ in range(600):
                    built = driver.execute_script("const m = performance.getEntriesByName('report-built');"
                                                  " return m.length ? m[0].startTime : null;")
                    if built is not None:
                        break
                    time.sleep(0.05)
                loads.append(driver.execute_script("return performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd;"))
                builds.append(built)
            axe_ms, violations = None, None
            axe = os.path.join(axe_dir, "node_modules", "axe-core", "axe.min.js")
            if os.path.exists(axe):
                with open(axe, encoding="utf-8") as f:
                    driver.execute_script(f.read())
                driver.set_script_timeout(600)
                start = time.perf_counter()
                violations = driver.execute_async_script(
                    "const done = arguments[arguments.length - 1];"
                    "axe.run(document).then(r => done(r.violations.map(v => v.id))).catch(e => done(['error: ' + e]));")
                axe_ms = (time.perf_counter() - start) * 1000
            else:
                print("note: axe-core is not installed in %s, so its run on the report is not timed" % axe_dir)
        finally:
            driver.quit()
    finally:
        shutil.rmtree(work, ignore_errors=True)

    dcl = min(loads)
    built = min(b for b in builds if b is not None) if any(b is not None for b in builds) else None
    print("report of %s (%d bytes): DOMContentLoaded %.0f ms (runs: %s), every page built %s (best of %d)"
          % (web, size, dcl, ", ".join("%.0f" % t for t in loads), "%.0f ms" % built if built is not None else "never", RUNS))
    if axe_ms is not None:
        print("axe-core's full run: %.1f s, violations: %s" % (axe_ms / 1000, ", ".join(violations) or "none"))

    table = {"rows": [], "targets": []}
    if os.path.exists(bench_json):
        with open(bench_json) as f:
            table = json.load(f)
    table["rows"] = [r for r in table["rows"] if "report page" not in r["what"]] + [
        {"where": "chromium", "what": "report page of the bench web, DOMContentLoaded", "ms": dcl},
        {"where": "chromium", "what": "report page of the bench web, every page built", "ms": built}]
    table["targets"] = [t for t in table["targets"] if "report page" not in t["target"]] + [
        {"target": "report page DOMContentLoaded under %d ms" % TARGET_DCL_MS, "value": dcl, "met": dcl < TARGET_DCL_MS}]
    if axe_ms is not None:
        table["rows"].append({"where": "chromium", "what": "report page of the bench web, axe-core's full run", "ms": axe_ms})
        table["targets"].append({"target": "report page: axe-core's full run under %d s with no violation" % (TARGET_AXE_MS // 1000),
                                 "value": axe_ms, "met": axe_ms < TARGET_AXE_MS and not violations})
    with open(bench_json, "w") as f:
        json.dump(table, f, indent=2)
    return 0 if built is not None else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
