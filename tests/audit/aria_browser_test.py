#!/usr/bin/env python3
"""--aria's verdict on each area against Chromium's computed name.

    aria_browser_test.py MAPNOTE_AUDIT WORK_DIR

Each case of the label table's kinds is a page of its own, its map over an
image so that Chromium exposes every area; an area --aria reports must
have a blank name in Chromium's accessibility tree, one it passes a
non-blank name. Where Chromium is known to differ from the naming rules
--aria follows, the case is listed in KNOWN with the reason; a listed
difference that is gone is reported. Exits 77 (skipped) without Chromium.
"""
import json
import os
import shutil
import subprocess
import struct
import sys
import zlib

from known_differences import verdict

CASES = {
    "alt-blank-title": "<area href=a alt='' title=Home>",
    "alt-space-title": "<area href=a alt='  ' title=Home>",
    "title": "<area href=a title=Home>",
    "aria-label": "<area href=a aria-label=Home>",
    "hidden-shown-inline": "<area href=a aria-labelledby=x><p id=x><span hidden style=display:inline>Home</span></p>",
    "last-declaration": "<area href=a aria-labelledby=x><p id=x><span style='display:none;display:inline'>Home</span></p>",
    "comment-no-change": "<area href=a aria-labelledby=x><p id=x><span style='display:/**/none'>Home</span></p>",
    "closed-details": "<area href=a aria-labelledby=x><div id=x><details><summary></summary>Home</details></div>",
    "details-summary": "<area href=a aria-labelledby=x><div id=x><details><summary>Home</summary></details></div>",
    "template": "<area href=a aria-labelledby=x><div id=x><template>Home</template></div>",
    "noscript": "<area href=a aria-labelledby=x><div id=x><noscript>Home</noscript></div>",
    "input-value": "<area href=a aria-labelledby=x><p id=x><input value=Home></p>",
    "input-range": "<area href=a aria-labelledby=x><p id=x><input type=range></p>",
    "img-title": "<area href=a aria-labelledby=x><p id=x><img title=Home></p>",
    "descendant-aria-label": "<area href=a aria-labelledby=x><p id=x><span aria-label=Home></span></p>",
    "own-aria-label": "<area href=a aria-labelledby=x><p id=x aria-label=Home></p>",
    "own-title": "<area href=a aria-labelledby=x><p id=x title=Home></p>",
    "img-direct": "<area href=a aria-labelledby=x><img id=x alt=Home>",
    "input-direct": "<area href=a aria-labelledby=x><input id=x value=Home>",
    "area-direct": "<area href=a aria-labelledby=x><area id=x href=b alt=Home>",
    "presentation": "<area href=a aria-labelledby=x><p id=x><img alt=Home role=presentation></p>",
    "none": "<area href=a aria-labelledby=x><p id=x><img alt=Home role=none></p>",
    "hidden-referenced": "<area href=a aria-labelledby=x><div hidden><p id=x>Home</p></div>",
    "comment": "<area href=a aria-labelledby=x><p id=x><!-- Home --></p>",
}

# case: why Chromium's name differs from --aria's verdict.
KNOWN = {}


def png(size):
    """A white square, for the map's image to be drawn and its areas exposed."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\xff" * 3 * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def main(audit, work):
    browser = shutil.which("chromium") or shutil.which("chromium-browser") or shutil.which("google-chrome")
    if not browser or not shutil.which("chromedriver"):
        print("Chromium is not installed; skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    web = os.path.join(work, "web")
    os.makedirs(web)
    with open(os.path.join(web, "m.png"), "wb") as f:
        f.write(png(20))
    for key, markup in CASES.items():
        markup = markup.replace("<area ", "<area shape=rect coords=0,0,9,9 ")
        # The labelling elements go after the map; an area among them is
        # one of its own map's.
        area, _, rest = markup.partition(">")
        with open(os.path.join(web, key + ".htm"), "w") as f:
            f.write("<!doctype html><title>t</title><img src=m.png width=20 height=20 usemap=#m alt=Map>"
                    "<map name=m>%s>" % area + ("" if "<area" in rest else "</map>") + rest +
                    ("</map>" if "<area" in rest else "") + "\n")
    done = subprocess.run([audit, "--aria", "--json", web], capture_output=True)
    if done.returncode not in (0, 1):
        raise SystemExit("mapnote-audit exited %d: %s" % (done.returncode, done.stderr.decode(errors="replace")))
    reported = {f["path"][:-len(".htm")] for f in json.loads(done.stdout) if f["area"] == 0}

    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = browser
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run",
                 "--user-data-dir=" + os.path.join(work, "profile")):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    failures, seen = [], set()
    try:
        for key in CASES:
            driver.get("file://" + os.path.join(web, key + ".htm"))
            driver.execute_cdp_cmd("Accessibility.enable", {})
            nodes = driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
            # The first exposed link of the map is the area the audit numbers 0.
            links = [n for n in nodes if not n.get("ignored") and n.get("role", {}).get("value") == "link"]
            if not links:
                failures.append("%s: Chromium exposes no area" % key)
                continue
            name = links[0].get("name", {}).get("value", "").strip()
            if bool(name) != (key not in reported):
                if key in KNOWN:
                    seen.add(key)
                else:
                    failures.append("%s: Chromium names it %r, --aria %s it" % (key, name, "reports" if key in reported else "passes"))
    finally:
        driver.quit()
    return verdict(failures, KNOWN, seen, lambda gone: "note: %s now agrees with Chromium" % gone,
                   "%d cases compared with Chromium, %d known differences seen" % (len(CASES), len(seen)))


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
