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
    "dense.htm": (
        '<html><head><meta charset="utf-8"><title>Dense</title></head><body>\n'
        '<img src="img/natural.png" width="390" height="120" usemap="#grid" alt="">\n<map name="grid">\n' +
        "".join('<area shape="rect" coords="%d,%d,%d,%d" href="g%d.htm"%s>\n' % (
            x * 30, y * 20, x * 30 + 30, y * 20 + 20, y * 13 + x, ' alt="Cell"' if (x + y) % 3 else "")
            for y in range(6) for x in range(13)) +
        '</map>\n<img src="img/natural.png" width="600" height="16" usemap="#strip" alt="">\n<map name="strip">\n' +
        "".join('<area shape="rect" coords="%d,0,%d,16" href="s%d.htm">\n' % (x * 60, x * 60 + 60, x) for x in range(10)) +
        '<area shape="rect" coords="0,0,5,5" href="titled.htm" title="Andrew McAllister\'s Entry" aria-label="Entry">\n'
        '</map></body></html>\n'),
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
                "--allow-file-access-from-files", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", "--user-data-dir=" + os.path.abspath(os.path.join(download_dir, os.pardir, "profile"))):
        options.add_argument(arg)
    options.add_experimental_option("prefs", {"download.default_directory": download_dir,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": download_dir})
    return driver


def load(driver, url):
    driver.get(url)
    if not any(driver.execute_script("return document.documentElement.dataset.built;") or time.sleep(0.05) for _ in range(600)):
        fail("the report at %s did not build all its pages" % url)


def pixels(driver, box):
    """RGBA values of the viewport's box [left, top, right, bottom] as the screen shows it, read back through a canvas."""
    shot = driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png", "clip": {
        "x": box[0] + driver.execute_script("return scrollX;"), "y": box[1] + driver.execute_script("return scrollY;"),
        "width": box[2] - box[0], "height": box[3] - box[1], "scale": 1}})
    return driver.execute_async_script(
        "const done = arguments[1], img = new Image(); img.onload = () => { const c = document.createElement('canvas');"
        " [c.width, c.height] = [img.width, img.height]; const g = c.getContext('2d'); g.drawImage(img, 0, 0);"
        " done(Array.from(g.getImageData(0, 0, c.width, c.height).data)); }; img.src = 'data:image/png;base64,' + arguments[0];",
        shot["data"])


def contrast(p, q):
    lum = lambda c: sum(k * (v / 3294.6 if v <= 10.31 else ((v / 255 + 0.055) / 1.055) ** 2.4) for k, v in zip((0.2126, 0.7152, 0.0722), c))
    a, b = sorted((lum(p), lum(q)))
    return (b + 0.05) / (a + 0.05)


def check_focus_ring(driver, what, element, unfocus):
    """WCAG 2.4.13's measure: the pixels that change by at least 3:1 on focus cover at least a 2 px perimeter."""
    box = driver.execute_script("arguments[0].scrollIntoView({block: 'center'}); const r = arguments[0].getBoundingClientRect();"
                                " return [r.left, r.top, r.right, r.bottom].map(Math.round);", element)
    outer = [box[0] - 8, box[1] - 8, box[2] + 8, box[3] + 8]
    driver.execute_script(unfocus, element)
    before = pixels(driver, outer)
    driver.execute_script("(arguments[0].closest('g.area') || arguments[0]).focus({preventScroll: true});", element)
    after = pixels(driver, outer)
    seen = sum(contrast(before[i:i + 3], after[i:i + 3]) >= 3 for i in range(0, len(before), 4))
    need = 2 * 2 * (box[2] - box[0] + box[3] - box[1])
    check("a focused %s changes at least a 2 px perimeter's pixels by 3:1 (%d, at least %d)" % (what, seen, need), seen >= need, True)


def check_layout(driver, rows, width, what):
    """At this width: nothing clipped or covered, no scrolling sideways, unique names, focus visible and clear of the bar."""
    # A tall window takes fewer scrolls to bring each control into view once.
    driver.set_script_timeout(600)
    for height in (3000, 900):
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        time.sleep(0.3)
        got = driver.execute_script(
            "const bar = document.getElementById('bar'), floor = () => bar.getBoundingClientRect().bottom, bad = [];"
            "const all = [...document.querySelectorAll('input, button')], cs = all.filter(c => !c.closest('#bar'));"
            "window.scrollTo(0, 0); for (const c of all.filter(c => c.closest('#bar'))) cs.unshift(c);"
            "if (arguments[0]) for (let i = 0; i < cs.length;) {"
            " const out = (c, f) => { const r = c.getBoundingClientRect(); return !c.closest('#bar') && (r.top < f || r.bottom > innerHeight); };"
            " if (out(cs[i], floor())) window.scrollBy(0, cs[i].getBoundingClientRect().top - floor() - 1);"
            " if (out(cs[i], floor())) { bad.push('out of reach: ' + cs[i].id); i++; continue; }"
            " for (const f = floor(); i < cs.length; i++) { const r = cs[i].getBoundingClientRect();"
            "  if (out(cs[i], f)) break;"
            "  if (document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2) !== cs[i]) bad.push('covered: ' + (cs[i].id || cs[i].textContent)); } }"
            "else for (const c of cs.filter(c => c.type === 'text')) { const r = c.getBoundingClientRect();"
            " window.scrollBy(0, r.top - bar.getBoundingClientRect().top - 2); c.focus();"
            " if (c.getBoundingClientRect().top < floor()) bad.push('under the bar: ' + c.id); c.blur(); }"
            "return [document.documentElement.scrollWidth - document.documentElement.clientWidth, bad];", height > 900)
        check("at %d px, no sideways scrolling, and every box and button on %s %s" % (
            width, what, "shows whole at its own centre" if height > 900 else "focuses clear of the bar"), got, [0, []])
    root = driver.execute_cdp_cmd("DOM.getDocument", {"depth": 0})["root"]["nodeId"]
    nodes = driver.execute_cdp_cmd("Accessibility.queryAXTree", {"nodeId": root, "role": "textbox"})["nodes"]
    names = [n["name"]["value"] for n in nodes if not n.get("ignored")]
    check("at %d px, the %d text boxes of %s have as many names, each with its page and link" % (width, len(rows), what),
          (len(set(names)), sorted(n for n in names if not any(r["path"] in n and unguarded(r["href"]) in n for r in rows))),
          (len(rows), []))
    got = driver.execute_script(
        "const out = []; let shown = 0;"
        "for (const stage of document.querySelectorAll('.stage')) {"
        " const s = stage.getBoundingClientRect(); const badges = [...stage.querySelectorAll('.badge.placed rect')].map(b => b.getBoundingClientRect());"
        " shown += badges.length;"
        " const mids = [...stage.querySelectorAll('g.area .shape')].map(x => x.getBoundingClientRect())"
        "  .filter(m => m.width < s.width - 1 || m.height < s.height - 1).map(m => [m.left + m.width / 2, m.top + m.height / 2]);"
        " badges.forEach((b, i) => {"
        "  if (b.left < s.left - .5 || b.top < s.top - .5 || b.right > s.right + .5 || b.bottom > s.bottom + .5) out.push('cut off');"
        "  if (b.height < 17) out.push('shrunk to ' + b.height);"
        "  if (badges.some((o, j) => j !== i && o.left < b.right && b.left < o.right && o.top < b.bottom && b.top < o.bottom)) out.push('on a badge');"
        "  if (mids.some(([x, y]) => x > b.left && x < b.right && y > b.top && y < b.bottom)) out.push('on a middle'); }); }"
        "return [shown > 0, out];")
    check("at %d px, the badges on %s are whole, legible, clear of each other and of the shapes' middles" % (width, what), got, [True, []])


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


def run_axe(driver, axe_dir, what, seconds=60):
    axe = os.path.join(axe_dir, "node_modules", "axe-core", "axe.min.js")
    if not os.path.exists(axe):
        print("note: axe-core is not installed in %s (npm failed or is missing): the accessibility check of %s is skipped"
              % (axe_dir, what))
        return
    with open(axe, encoding="utf-8") as f:
        driver.execute_script(f.read())
    driver.set_script_timeout(seconds)
    start = time.time()
    result = driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document).then(r => done({violations: r.violations.map(v => v.id + ': ' + v.help + ' at ' +"
        " v.nodes.map(n => n.target.join(' ')).join(', ')), passes: r.passes.length})).catch(e => done({error: String(e)}));")
    if "error" in result:
        fail("axe-core failed on %s: %s" % (what, result["error"]))
    check("axe-core (%d rules passed, %.0f s) finds no violation on %s" % (result["passes"], time.time() - start, what),
          result["violations"], [])


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
    load(driver, "file://" + report)
    driver.execute_script("localStorage.clear();")
    load(driver, "file://" + report)
    check("the %s report's title names its web" % web_name, driver.title, web_name + ": image map alt text report")

    check("no script of the pages ran in the %s report" % web_name, driver.execute_script("return window.pwned;"), None)
    links = driver.execute_script("return [...document.querySelectorAll('a')].map(a => a.getAttribute('href'));")
    check("no link of the %s report runs a script" % web_name,
          [h for h in links if h and h.strip().lower().startswith("javascript:")], [])
    boxes = driver.execute_script(
        "return [...document.querySelectorAll('section[data-path] tr')].filter(r => r.querySelector('input'))"
        ".map(r => [r.closest('section[data-path]').dataset.path, r.dataset.area, r.querySelector('input').value,"
        " (m => m ? m[1] : '')(r.querySelector('.marker').textContent.match(/Suggested: \u201c(.*)\u201d, from /))]);")
    boxes.sort(key=lambda b: (b[0], int(b[1])))
    check("the %s report has an empty text box per row of the list, its suggestion beside it" % web_name, boxes,
          [[r["path"], r["area"], "", unguarded(r["suggested_alt"])] for r in rows])
    check("an untouched %s report saves the --todo list byte for byte" % web_name, download(driver, downloads), todo)
    per_page = {p: sum(r["path"] == p for r in rows) for p in dict.fromkeys(r["path"] for r in rows)}
    driver.find_element("id", "only-left").click()
    check("the contents and the filter to what needs a text agree with the %s list" % web_name, driver.execute_script(
        "return [[...document.querySelectorAll('#contents li')].map(li => li.textContent),"
        " [...document.querySelectorAll('section[data-path] tbody tr')].filter(r => r.offsetParent !== null).map(r =>"
        " [r.closest('section').dataset.path, r.dataset.area, !!r.querySelector('input')])];"),
        [["%s: %d of %d %s left" % (p, n, n, "row" if n == 1 else "rows") for p, n in per_page.items()],
         [[r["path"], r["area"], True] for r in rows]])
    driver.find_element("id", "only-left").click()  # and off again
    for width in (1280, 320):
        check_layout(driver, rows, width, "the %s report" % web_name)
        run_axe(driver, axe_dir, "the %s report at %d px" % (web_name, width))
        driver.save_screenshot(os.path.join(reports, "%s-%d.png" % (web_name, width)))
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    target = rows[0]
    check_focus_ring(driver, "text box", area_js(driver, target["path"], int(target["area"]), "return row.querySelector('input');"),
                     "document.activeElement.blur();")
    check_focus_ring(driver, "shape", area_js(driver, target["path"], int(target["area"]), "return g.querySelector('.shape');"),
                     "document.activeElement.blur();")

    # Accepting one map's suggestions fills that map's rows alone.
    row = next(r for r in rows if r["suggested_alt"])
    first = row["path"]
    mine = area_js(driver, first, int(row["area"]), "row.closest('.map-part').querySelector('.accept-map').click();"
                   "return [...row.closest('.map-part').querySelectorAll('tr[data-area]')].map(r => r.dataset.area);")
    for r in rows:
        r["new_alt"] = unguarded(r["suggested_alt"]) if r["path"] == first and r["area"] in mine else ""
    got = list(csv.DictReader(io.StringIO(download(driver, downloads).decode("utf-8"), newline="")))
    accepted = sum(r["new_alt"] != "" for r in rows)
    check("accepting the first map's suggestions of the %s report saves them for its rows only, and says so" % web_name,
          [got, driver.find_element("id", "status").text],
          [rows, "Saved todo.csv: %d rows, 0 typed, %d suggestion%s accepted, %d left empty." % (
              len(rows), accepted, "" if accepted == 1 else "s", len(rows) - accepted)])
    driver.find_element("id", "accept-all").click()

    check_geometry(driver, web_name)

    # Emptied boxes, all accepted first, save exactly the list --todo wrote.
    driver.execute_script("for (const input of document.querySelectorAll('input')) {"
                          " input.value = ''; input.dispatchEvent(new Event('input')); }")
    check("with every box emptied, the saved list is byte for byte the --todo list (%s web)" % web_name,
          download(driver, downloads), todo)

    # Typed with the keyboard, kept over a reload, saved, applied.
    from selenium.webdriver.common.keys import Keys
    driver.execute_script("localStorage.clear();")
    load(driver, "file://" + report)
    field = area_js(driver, target["path"], int(target["area"]), "return row.querySelector('input');")
    field.click()
    field.send_keys(Keys.CONTROL + "a")  # each call lets the modifier go at its end
    field.send_keys(Keys.BACKSPACE)
    field.send_keys(TYPED)
    load(driver, "file://" + report)
    kept = area_js(driver, target["path"], int(target["area"]),
                   "const input = row.querySelector('input'); return [input.value, input.classList.contains('accepted'),"
                   " [...document.querySelectorAll('#contents li')].find(li => li.textContent.startsWith(arguments[0] + ':')).textContent];")
    n = per_page[target["path"]]
    check("the typed text survives a reload of the %s report, one row fewer left on its page" % web_name, kept,
          [TYPED, False, "%s: %d of %d %s left" % (target["path"], n - 1, n, "row" if n == 1 else "rows")])
    check_keyboard(driver, target["path"], int(target["area"]), target["href"])
    saved = download(driver, downloads)
    got = list(csv.DictReader(io.StringIO(saved.decode("utf-8"), newline="")))
    for r in rows:
        r["new_alt"] = TYPED if r is target else ""
    check("the saved list has the typed text as new_alt, the others empty, every other cell as --todo wrote it",
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

    # A text naming its row's link, typed into every box, lands on the area with that link.
    run(audit, "--todo", todo_path, "--force", "--report", report, web)
    with open(todo_path, encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    load(driver, "file://" + report)
    for r in rows:
        area_js(driver, r["path"], int(r["area"]), "return row.querySelector('input');").send_keys("Goes to " + unguarded(r["href"]))
    with open(saved_path, "wb") as f:
        f.write(download(driver, downloads))
    status, out, err = run(audit, "--apply", saved_path, web)
    found = []
    for r in rows:
        with open(os.path.join(web, r["path"]), encoding="utf-8") as f:
            found.append(areas_of(f.read())[int(r["area"])])
    check("each text typed in the %s report is on the area of its link (%d rows)" % (web_name, len(rows)), found,
          [(unguarded(r["href"]), "Goes to " + unguarded(r["href"])) for r in rows])

    # Away from its web the report says so once, at the top, with the way back.
    moved = os.path.join(reports, "moved", web_name + ".html")
    os.makedirs(os.path.dirname(moved), exist_ok=True)
    shutil.copy(report, moved)
    said = []
    for where in (report, moved):
        load(driver, "file://" + where)
        time.sleep(1)
        said.append(driver.execute_script("return [...document.querySelectorAll('.moved')].filter(p => !p.hidden).map(p => p.textContent);"))
    check("the %s report says it finds no image only when moved away from its web, once, with where it was written" % web_name,
          [len(said[0]), len(said[1]), os.path.relpath(report, web) in (said[1] or [""])[0]], [0, 1, True])


def areas_of(page):
    """(href, alt) of each area inside a map, in document order."""
    from html.parser import HTMLParser
    found, inside = [], [0]
    class Reader(HTMLParser):
        def handle_starttag(self, tag, attrs):
            inside[0] += tag == "map"
            if tag == "area" and inside[0]:
                found.append((dict(attrs).get("href"), dict(attrs).get("alt")))
        def handle_endtag(self, tag):
            inside[0] -= tag == "map" and inside[0] > 0
    Reader().feed(page)
    return found


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
        check("an area's title and aria-label show beside its alt", area_js(driver, "dense.htm", 88, "return row.querySelector('.c-now').textContent;"),
              "none" + "title: \u201cAndrew McAllister's Entry\u201d" + "aria-label: \u201cEntry\u201d")
        check("the report says in words that an image is not there and that a map has no image", words,
              ["The image img/gone.png cannot be shown: the file img/gone.png is not in the web; the areas are drawn on a blank of its size.",
               "No image on this page uses this map (no img with usemap=\"#unused\"); its areas are listed only."])
        # Several hundred pages, every tenth with the dense map: the same checks at both widths.
        big = os.path.join(webs, "big")
        os.makedirs(os.path.join(big, "img"))
        shutil.copy(os.path.join(generated, "img", "natural.png"), os.path.join(big, "img"))
        for n in range(300):
            with open(os.path.join(big, "page%03d.htm" % n), "w", encoding="utf-8") as f:
                f.write(GENERATED["dense.htm"] if n % 10 == 0 else
                        '<img src="img/natural.png" width="400" height="40" usemap="#nav">\n<map name="nav">' +
                        "".join('<area shape="rect" coords="%d,0,%d,40" href="page%03d.htm"%s>' % (
                            k * 50, k * 50 + 50, (n + k) % 300, ' alt="Page"' if k % 2 else "") for k in range(n % 5 + 3)) +
                        "</map>\n")
        todo_path, report = os.path.join(reports, "big-todo.csv"), os.path.join(reports, "big.html")
        run(audit, "--todo", todo_path, "--report", report, big)
        with open(todo_path, encoding="utf-8") as f:
            rows = list(csv.DictReader(f))
        load(driver, "file://" + report)
        for width in (1280, 320):
            check_layout(driver, rows, width, "a web of 300 pages")
            run_axe(driver, axe_dir, "a web of 300 pages at %d px" % width, 600)  # the bench times it on a quiet machine
    finally:
        driver.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
