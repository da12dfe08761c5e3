#!/usr/bin/env python3
"""The report page in headless Chromium: each area's shape drawn where its
coords put it, scaled by the image's displayed size; typed texts kept over a
reload, saved as a to-do list that --apply writes into the page; no script
of a page run in the report; axe-core finds no violation.

    report_browser_test.py MAPNOTE_AUDIT SAMPLE_WEB WORK_DIR AXE_CORE_DIR

Exits 77 (skipped) when Chromium or its driver is not installed.
"""
import csv
import io
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

TYPED = 'Fresh "bread", daily'


def png(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + b"\xc8\xdc\xf0" * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def gif(width, height):
    # One colour, one image: a clear code, a pixel, the end code, repeated
    # data is not needed for a browser to take the size from the header.
    return (b"GIF89a" + struct.pack("<HH", width, height) + b"\x80\x00\x00" + b"\xdd\xee\xff\x00\x00\x00" +
            b"\x2c\x00\x00\x00\x00" + struct.pack("<HH", width, height) + b"\x00\x02\x02\x44\x01\x00\x3b")


def jpeg(width, height):
    """A JPEG header whose frame gives the size after an APP0 and a large
    APP1 segment, as a photo's metadata comes first; the browser shows it
    broken, the report still needs its size."""
    app1 = b"Exif\0\0" + b"\0" * 30000
    return (b"\xff\xd8" + b"\xff\xe0" + struct.pack(">H", 16) + b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0" +
            b"\xff\xe1" + struct.pack(">H", len(app1) + 2) + app1 +
            b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, height, width, 1) + b"\x01\x11\x00" + b"\xff\xd9")


# Every shape kind, each way of giving the image's size, several maps on a
# page, a map no image uses, an image that is not there, and hostile text.
# (page, area index) -> (shape, coords as the page reads them, displayed width, height)
GENERATED = {
    "shapes.htm": (
        '<html><head><meta charset="utf-8"><title>Shapes</title></head><body>\n'
        '<img src="img/natural.png" usemap="#first" alt="">\n'
        '<map name="first">\n'
        '<area shape="rect" coords="10,10,60,50" href="a.htm">\n'
        '<area shape="RECT" coords="190,90,120,40" href="b.htm" alt="">\n'
        '<area shape="circle" coords="100,50,30" href="c.htm" alt="Circle">\n'
        '<area shape="poly" coords="0,0,50,0,25,40,99" href="d.htm">\n'
        '<area shape="circle" coords="5,5,0" href="e.htm">\n'
        '<area shape="default" alt="Everywhere">\n'
        '</map>\n'
        '<p><img src="img/half.gif" width="300" height="150" usemap="#second" alt=""></p>\n'
        '<map name="second">\n'
        '<area coords="  5; 5 ,, 100 70 " href="a.htm">\n'
        '<area shape="polygon" coords="x10,y20,30.5e1,-20,1.5,140" href="f.htm">\n'
        '<area shape="circ" coords="150,75,+40.25" href="g.htm" alt=" ">\n'
        '</map>\n'
        '<img src="img/photo.jpg" width="240" usemap="#third" alt="">\n'
        '<map name="third"><area shape="rect" coords="0,0,120,60" href="a.htm"></map>\n'
        '<p><a href="a.htm">First page</a> <a href="c.htm"><img src="x.png" alt="The third"></a></p>\n'
        '</body></html>\n'),
    "lost.htm": (
        '<html><head><meta charset="utf-8"><title>Lost</title></head><body>\n'
        '<img src="img/gone.png" width="100" height="50" usemap="#gone" alt="">\n'
        '<map name="gone"><area shape="rect" coords="10,10,90,40" href="a.htm"></map>\n'
        '<map name="unused"><area shape="rect" coords="0,0,10,10" href="b.htm"></map>\n'
        '</body></html>\n'),
    "a.htm": ('<html><head><meta charset="utf-8"><title>The first page</title></head><body>\n'
              '<p><a href="lost.htm">&lt;/script&gt;&lt;script&gt;window.pwned = 1&lt;/script&gt;&lt;!--</a></p>\n'
              '</body></html>\n'),
    "hostile.htm": (
        '<html><head><meta charset="utf-8"><title></script><script>window.pwned = 2</script></title></head><body>\n'
        '<img src="img/natural.png" usemap="#&lt;/script&gt;" alt="">\n'
        '<map name="&lt;/script&gt;">\n'
        '<area shape="rect" coords="0,0,20,20" href="javascript:window.pwned = 3">\n'
        '<area shape="rect" coords="20,0,40,20" href="hostile.htm" alt="&lt;img src=x onerror=&quot;window.pwned = 4&quot;&gt;">\n'
        '<area shape="rect" coords="40,0,60,20" href="#top">\n'
        '</map>\n'
        '<p><a href="b.htm">=SUM(1,2) "quoted", and more</a></p>\n'
        '</body></html>\n'),
}
IMAGES = {"img/natural.png": png(200, 100), "img/half.gif": gif(150, 75), "img/photo.jpg": jpeg(120, 60)}

# What each drawn area must cover, in the page's own pixels.
EXPECTED = {
    ("shapes.htm", 0): ("rect", (10, 10, 60, 50), (200, 100)),
    ("shapes.htm", 1): ("rect", (120, 40, 190, 90), (200, 100)),
    ("shapes.htm", 2): ("circle", (100, 50, 30), (200, 100)),
    ("shapes.htm", 3): ("poly", (0, 0, 50, 0, 25, 40), (200, 100)),
    ("shapes.htm", 4): (None, (), (200, 100)),
    ("shapes.htm", 5): ("default", (), (200, 100)),
    ("shapes.htm", 6): ("rect", (5, 5, 100, 70), (300, 150)),
    ("shapes.htm", 7): ("poly", (10, 20, 305, -20, 1.5, 140), (300, 150)),
    ("shapes.htm", 8): ("circle", (150, 75, 40.25), (300, 150)),
    ("shapes.htm", 9): ("rect", (0, 0, 120, 60), (240, 120)),
    ("lost.htm", 0): ("rect", (10, 10, 90, 40), (100, 50)),
    ("lost.htm", 1): (None, (), None),
    ("hostile.htm", 0): ("rect", (0, 0, 20, 20), (200, 100)),
}


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def check(what, got, expected):
    if got != expected:
        fail("%s\n  got:      %r\n  expected: %r" % (what, got, expected))
    print("ok: " + what)


def run(*args):
    done = subprocess.run(list(args), capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def expected_box(shape, coords, size):
    """The bounding box in the page's pixels."""
    if shape == "rect":
        return coords
    if shape == "circle":
        x, y, r = coords
        return (x - r, y - r, x + r, y + r)
    if shape == "poly":
        xs, ys = coords[0::2], coords[1::2]
        return (min(xs), min(ys), max(xs), max(ys))
    return (0, 0) + size


def browser(download_dir):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or shutil.which("chromium-browser")
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--window-size=1400,1000",
                "--allow-file-access-from-files"):
        options.add_argument(arg)
    options.add_experimental_option("prefs", {"download.default_directory": download_dir,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": download_dir})
    return driver


def area_js(driver, path, index, what):
    return driver.execute_script(
        "const section = [...document.querySelectorAll('section[data-path]')].find(s => s.dataset.path === arguments[0]);"
        "const g = section && section.querySelector('g.area[data-area=\"' + arguments[1] + '\"]');"
        "const row = section && section.querySelector('tr[data-area=\"' + arguments[1] + '\"]');"
        + what, path, index)


def check_geometry(driver, web_name):
    for (path, index), (shape, coords, size) in EXPECTED.items():
        if web_name != "generated":
            break
        got = area_js(driver, path, index,
                      "if (!g) return {row: !!row};"
                      "const stage = g.closest('.stage').getBoundingClientRect();"
                      "const box = g.querySelector('.shape').getBoundingClientRect();"
                      "return {row: !!row, tag: g.querySelector('.shape').tagName, stage: [stage.left, stage.top, stage.width, stage.height],"
                      " box: [box.left, box.top, box.right, box.bottom]};")
        if not got["row"]:
            fail("%s area %d has no row" % (path, index))
        if shape is None:
            check("%s area %d has a row and no shape" % (path, index), "tag" in got, False)
            continue
        left, top, width, height = got["stage"]
        if abs(width - size[0]) > 0.5 or abs(height - size[1]) > 0.5:
            fail("%s area %d: the image is shown at %gx%g, the page gives %dx%d" % (path, index, width, height, *size))
        sx, sy = width / size[0], height / size[1]
        x1, y1, x2, y2 = expected_box(shape, coords, size)
        want = [left + x1 * sx, top + y1 * sy, left + x2 * sx, top + y2 * sy]
        if any(abs(a - b) > 1.0 for a, b in zip(got["box"], want)):
            fail("%s area %d (%s): drawn at %r, its coords put it at %r" % (path, index, shape, got["box"], want))
        print("ok: %s area %d, a %s, is drawn where its coords put it" % (path, index, shape))
    # The same geometry scaled: a narrow window shrinks the image and its shapes alike.
    if web_name == "generated":
        driver.set_window_size(260, 900)
        got = area_js(driver, "shapes.htm", 8,
                      "const stage = g.closest('.stage').getBoundingClientRect();"
                      "const box = g.querySelector('.shape').getBoundingClientRect();"
                      "return [stage.left, stage.top, stage.width, stage.height, box.left, box.top, box.right, box.bottom];")
        left, top, width, height = got[:4]
        s = width / 300
        if not (width < 300 and abs(height - 150 * s) < 1):
            fail("the narrow window shows the image at %gx%g" % (width, height))
        want = [left + (150 - 40.25) * s, top + (75 - 40.25) * s, left + (150 + 40.25) * s, top + (75 + 40.25) * s]
        if any(abs(a - b) > 1.0 for a, b in zip(got[4:], want)):
            fail("scaled to %g, the circle is drawn at %r, not %r" % (s, got[4:], want))
        print("ok: scaled to %.2f by a narrow window, the circle is drawn where its coords put it" % s)
        driver.set_window_size(1400, 1000)


def check_keyboard(driver, path, index, href):
    from selenium.webdriver.common.keys import Keys
    area_js(driver, path, index, "g.focus();")
    state = area_js(driver, path, index, "const tip = document.getElementById('tip');"
                                         "return [row.classList.contains('active'), !tip.hidden,"
                                         " tip.textContent.split('\\n').slice(1)];")
    check("focusing the shape of %s area %d highlights its row and shows its href and alt" % (path, index), state,
          [True, True, ["href: " + href, "alt: none"]])
    driver.switch_to.active_element.send_keys(Keys.ENTER)
    state = area_js(driver, path, index, "return [row.contains(document.activeElement), document.activeElement.tagName,"
                                         " g.classList.contains('active')];")
    check("Enter on the shape moves to its row's text box, the shape stays highlighted", state, [True, "INPUT", True])
    area_js(driver, path, index, "document.activeElement.blur();")
    driver.switch_to.active_element.send_keys(Keys.TAB)
    area_js(driver, path, index, "row.querySelector('button').focus();")
    state = area_js(driver, path, index, "return [row.classList.contains('active'), g.classList.contains('active')];")
    check("focusing the row's number highlights its shape", state, [True, True])
    driver.switch_to.active_element.send_keys(Keys.ENTER)
    state = area_js(driver, path, index, "return document.activeElement === g;")
    check("Enter on the row's number moves to its shape", state, True)


def download(driver, folder):
    target = os.path.join(folder, "todo.csv")
    if os.path.exists(target):
        os.remove(target)
    driver.find_element("id", "save").click()
    for _ in range(200):
        if os.path.exists(target) and not any(n.endswith(".crdownload") for n in os.listdir(folder)):
            with open(target, "rb") as f:
                return f.read()
        time.sleep(0.1)
    fail("no todo.csv was downloaded into " + folder)


def run_axe(driver, axe_dir, what):
    axe = os.path.join(axe_dir, "node_modules", "axe-core", "axe.min.js")
    if not os.path.exists(axe):
        print("note: axe-core is not installed in %s (npm failed or is missing): the accessibility check of %s is skipped"
              % (axe_dir, what))
        return
    with open(axe, encoding="utf-8") as f:
        driver.execute_script(f.read())
    driver.set_script_timeout(60)
    result = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document).then(r => done({violations: r.violations.map(v => v.id + ': ' + v.help + ' at ' +"
        " v.nodes.map(n => n.target.join(' ')).join(', ')), passes: r.passes.length})).catch(e => done({error: String(e)}));")
    if "error" in result:
        fail("axe-core failed on %s: %s" % (what, result["error"]))
    check("axe-core (%d rules passed) finds no violation on %s" % (result["passes"], what), result["violations"], [])


def unguarded(cell):
    """The text of a list cell that the list guards against formulas with a leading '."""
    return cell[1:] if cell.startswith("'") else cell


def session(driver, audit, web, web_name, reports, downloads, axe_dir):
    todo_path = os.path.join(reports, web_name + "-todo.csv")
    report = os.path.join(reports, web_name + ".html")
    status, out, err = run(audit, "--todo", todo_path, "--report", report, web)
    check("the audit of the %s web writes its list and report (%s)" % (web_name, out.strip()), (status, err), (1, ""))
    with open(todo_path, "rb") as f:
        todo = f.read()
    rows = list(csv.DictReader(io.StringIO(todo.decode("utf-8"), newline="")))
    driver.get("file://" + report)
    driver.execute_script("localStorage.clear();")
    driver.get("file://" + report)

    check("no script of the pages ran in the %s report" % web_name, driver.execute_script("return window.pwned;"), None)
    links = driver.execute_script("return [...document.querySelectorAll('a')].map(a => a.getAttribute('href'));")
    check("no link of the %s report runs a script" % web_name,
          [h for h in links if h and h.strip().lower().startswith("javascript:")], [])
    boxes = driver.execute_script(
        "return [...document.querySelectorAll('section[data-path] tr')].filter(r => r.querySelector('input'))"
        ".map(r => [r.closest('section[data-path]').dataset.path, r.dataset.area, r.querySelector('input').value,"
        " r.querySelector('input').classList.contains('suggested')]);")
    boxes.sort(key=lambda b: (b[0], int(b[1])))
    check("the %s report has a text box per row of the list, prefilled with its suggestion" % web_name, boxes,
          [[r["path"], r["area"], unguarded(r["suggested_alt"]), r["suggested_alt"] != ""] for r in rows])

    check_geometry(driver, web_name)
    run_axe(driver, axe_dir, "the %s report" % web_name)

    # Emptied boxes save exactly the list --todo wrote.
    driver.execute_script("for (const input of document.querySelectorAll('input')) {"
                          " input.value = ''; input.dispatchEvent(new Event('input')); }")
    check("with every box emptied, the saved list is byte for byte the --todo list (%s web)" % web_name,
          download(driver, downloads), todo)

    # Typed with the keyboard, kept over a reload, saved, applied.
    from selenium.webdriver.common.keys import Keys
    target = rows[0]
    driver.execute_script("localStorage.clear();")
    driver.get("file://" + report)
    field = area_js(driver, target["path"], int(target["area"]), "return row.querySelector('input');")
    field.click()
    field.send_keys(Keys.CONTROL + "a")  # each call lets the modifier go at its end
    field.send_keys(Keys.BACKSPACE)
    field.send_keys(TYPED)
    driver.get("file://" + report)
    kept = area_js(driver, target["path"], int(target["area"]),
                   "const input = row.querySelector('input'); return [input.value, input.classList.contains('suggested')];")
    check("the typed text survives a reload of the %s report" % web_name, kept, [TYPED, False])
    check_keyboard(driver, target["path"], int(target["area"]), target["href"])
    saved = download(driver, downloads)
    got = list(csv.DictReader(io.StringIO(saved.decode("utf-8"), newline="")))
    for r in rows:
        r["new_alt"] = TYPED if r is target else unguarded(r["suggested_alt"])
    check("the saved list has the typed text and the suggestions as new_alt, every other cell as --todo wrote it",
          got, rows)
    check("the saved list's header is --todo's", saved.split(b"\r\n")[0], todo.split(b"\r\n")[0])

    saved_path = os.path.join(reports, web_name + "-saved.csv")
    with open(saved_path, "wb") as f:
        f.write(saved)
    status, out, err = run(audit, "--apply", saved_path, web)
    check("--apply takes the saved list of the %s web (%s)" % (web_name, out.strip().splitlines()[-1]), (status, err), (0, ""))
    with open(os.path.join(web, target["path"]), encoding="utf-8", errors="replace") as f:
        page = f.read()
    check("the typed text is in %s" % target["path"], 'alt="Fresh &quot;bread&quot;, daily"' in page, True)
    status, out, err = run(audit, web)
    at = "%s:%s:%s:" % (target["path"], target["line"], target["column"])
    check("the typed row's finding is gone (%s web)" % web_name, [line for line in out.splitlines() if line.startswith(at)], [])


def main(audit, sample, work, axe_dir):
    if not (shutil.which("chromium") or shutil.which("chromium-browser")) or not shutil.which("chromedriver"):
        print("note: Chromium or chromedriver is not installed: the report page's browser test is skipped")
        return 77
    audit = os.path.abspath(audit)
    work = os.path.abspath(work)
    shutil.rmtree(work, ignore_errors=True)
    webs = os.path.join(work, "webs")
    reports = os.path.join(work, "reports")
    downloads = os.path.join(work, "downloads")
    os.makedirs(reports)
    os.makedirs(downloads)
    shutil.copytree(sample, os.path.join(webs, "sample"))
    generated = os.path.join(webs, "generated")
    os.makedirs(os.path.join(generated, "img"))
    for name, text in GENERATED.items():
        with open(os.path.join(generated, name), "w", encoding="utf-8") as f:
            f.write(text)
    for name, data in IMAGES.items():
        with open(os.path.join(generated, name), "wb") as f:
            f.write(data)

    driver = browser(downloads)
    try:
        for name in ("sample", "generated"):
            session(driver, audit, os.path.join(webs, name), name, reports, downloads, axe_dir)
        # What a page with no image or a lost one says.
        words = driver.execute_script(
            "return [...document.querySelectorAll('section[data-path=\"lost.htm\"] .problem')].map(p => p.textContent);")
        check("the report says in words that an image is not there and that a map has no image", words,
              ["The image img/gone.png cannot be shown: the file img/gone.png is not in the web; the areas are drawn on a blank of its size.",
               "No image on this page uses this map (no img with usemap=\"#unused\"); its areas are listed only."])
    finally:
        driver.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
