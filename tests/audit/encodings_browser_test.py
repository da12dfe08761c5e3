#!/usr/bin/env python3
"""Pages in the web's encodings read by mapnote-audit as Chromium reads
them: for each single-byte encoding every byte from 0x80 to 0xFF, and for
each multi-byte one a text in its script with the bytes where its
converters are known to differ, are written as an area's href; the href the
audit reports must be what the browser's TextDecoder makes of those bytes.

    encodings_browser_test.py MAPNOTE_AUDIT WORK_DIR

Where the C library's converters read a byte otherwise than browsers, and
the byte never makes markup, the difference is listed in KNOWN below; a
difference not listed fails, a listed one that is gone is reported.
Then, for each multi-byte encoding, a text of every character its decoder
gives and of a few others is written by --apply into a page in it: each
character must be written as the browser's encoder writes it (the bytes it
gives the character in a query of a link on such a page, or a numeric
character reference), and the page read back the same by the browser.

    encodings_browser_test.py MAPNOTE_AUDIT.EXE WORK_DIR WINE_RUN

does only the writing, with the Windows build under Wine.
Exits 77 (skipped) when Chromium is not installed.
"""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

SINGLE_BYTE = [
    "ibm866", "iso-8859-2", "iso-8859-3", "iso-8859-4", "iso-8859-5", "iso-8859-6", "iso-8859-7", "iso-8859-8",
    "iso-8859-8-i", "iso-8859-10", "iso-8859-13", "iso-8859-14", "iso-8859-15", "iso-8859-16", "koi8-r", "koi8-u",
    "macintosh", "windows-874", "windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254",
    "windows-1255", "windows-1256", "windows-1257", "windows-1258", "x-mac-cyrillic",
]

# Texts made by Python's own codecs; the browser, not Python, says what
# they read as. Extra bytes: iso-2022-jp's row 1 and 13 symbols, JIS-Roman
# and half-width katakana, gbk's lone 0x80, Shift_JIS's 0x5C and 0x7E,
# big5's Hong Kong characters (0x8840, 0xFA40); not 0x8862, which the
# standard reads as U+00CA U+0304, as the audit does, and this Chromium as
# a C1 control and half a surrogate pair.
MULTI_BYTE = {
    "big5": ("big5", "香港中文網頁", b"\x88\x40\xfa\x40"),
    "gbk": ("gbk", "中文网页简体", b"\x80"),
    "gb18030": ("gb18030", "中文网页€𠀀", b""),
    "shift_jis": ("cp932", "日本語のページ～", b"\x5c\x7e"),
    "euc-jp": ("euc_jp", "日本語のページ", b""),
    "iso-2022-jp": ("iso2022_jp", "日本語のページ", b"\x1b$B!A!@-!\x1b(J\\~\x1b(I1\x1b(B"),
    "euc-kr": ("cp949", "한국어 웹 페이지", b""),
}

# (encoding, byte): (what the audit reads, what the browser reads), where
# glibc's table and the Encoding Standard's differ.
KNOWN = {
    ("koi8-u", 0xAE): (0x255D, 0x045E),
    ("koi8-u", 0xBE): (0x256C, 0x040E),
    ("macintosh", 0xC6): (0x0394, 0x2206),
    ("macintosh", 0xF0): (0xE01E, 0xF8FF),
    ("windows-1255", 0xCA): (0xFFFD, 0x05BA),
    ("x-mac-cyrillic", 0xFF): (0x00A4, 0x20AC),
}

# The encodings written, with the byte sequences whose decoding gives every
# character the decoder knows: (prefix, lead bytes, trail bytes, suffix).
ALL_PAIRS = [(b"", range(0x81, 0xFF), range(0x40, 0xFF), b"")]
WRITTEN = {
    "big5": ALL_PAIRS,
    "gbk": ALL_PAIRS + [(b"", [0x80], [], b"")],
    "shift_jis": ALL_PAIRS + [(b"", range(0xA1, 0xE0), [], b"")],
    "euc-kr": ALL_PAIRS,
    "euc-jp": ALL_PAIRS + [(b"\x8f", range(0xA1, 0xFF), range(0xA1, 0xFF), b""), (b"\x8e", range(0xA1, 0xE0), [], b"")],
    "iso-2022-jp": [(b"\x1b$B", range(0x21, 0x7F), range(0x21, 0x7F), b"\x1b(B"),
                    (b"\x1b(I", range(0x21, 0x60), [], b"\x1b(B"), (b"\x1b(J", [0x5C, 0x7E], [], b"\x1b(B")],
}
# And a few characters that some of these lack or hold twice.
OTHERS = "\u00fc\u00ca\u0100\u20ac\u2550\u255e\u2561\u256a\u5341\u5345\u2212\uff5e\u00a5\u203e\U0001F600"


def chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        if shutil.which(name):
            return shutil.which(name)
    return None


def page(label, href):
    return (b'<html><head><meta charset="' + label.encode() + b'"><title>t</title></head><body>\n'
            b'<img src="m.png" usemap="#m" alt="">\n<map name="m"><area shape="rect" coords="0,0,9,9" href="' +
            href + b'"></map>\n</body></html>\n')


def browser_readings(browser, work, cases):
    """What TextDecoder makes of each case's bytes, in headless Chromium."""
    # As code points: the page's text would go through the page's serializer.
    script = ("const cases=%s;const out={};for(const [k,e,b] of cases){out[k]=Array.from(new TextDecoder(e).decode("
              "Uint8Array.from(b)),c=>c.codePointAt(0));}document.body.textContent=JSON.stringify(out);" %
              json.dumps([[key, label, list(data)] for key, (label, data) in cases.items()]))
    html = os.path.join(work, "decode.html")
    with open(html, "w") as f:
        f.write("<!doctype html><meta charset=utf-8><body><script>" + script + "</script>")
    # A profile of its own, so that no other Chromium running takes the page,
    # and nothing that would go out to the network.
    done = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                           "--disable-background-networking", "--disable-component-update", "--disable-sync",
                           "--user-data-dir=" + os.path.join(work, "profile"), "--dump-dom", "file://" + html],
                          capture_output=True, text=True, timeout=120)
    body = re.search(r"<body>(.*)</body>", done.stdout, re.S)
    if not body:
        raise SystemExit("Chromium printed no page: " + done.stderr[-2000:])
    return {key: "".join(map(chr, points)) for key, points in json.loads(body.group(1)).items()}


def run_chromium(browser, work, html):
    """The text of the page's body after its scripts have run."""
    # A profile of its own, so that no other Chromium running takes the page,
    # and nothing that would go out to the network.
    done = subprocess.run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                           "--disable-background-networking", "--disable-component-update", "--disable-sync",
                           "--user-data-dir=" + os.path.join(work, "profile"), "--dump-dom", "file://" + html],
                          capture_output=True, text=True, timeout=120)
    body = re.search(r"<body>(.*)</body>", done.stdout, re.S)
    if not body:
        raise SystemExit("Chromium printed no page: " + done.stderr[-2000:])
    return body.group(1)


def held_characters(browser, work):
    """For each encoding written, what the browser decodes from every byte
    sequence of WRITTEN: the characters its decoder knows, above ASCII and
    the C1 controls (which no alt text may hold)."""
    cases = {label: [[list(pre), list(leads), list(trails), list(post)] for pre, leads, trails, post in ways]
             for label, ways in WRITTEN.items()}
    script = ("const cases=%s;const out={};for(const [e,ways] of Object.entries(cases)){const d=new TextDecoder(e);"
              "const seen=new Set();for(const [pre,leads,trails,post] of ways){for(const l of leads){"
              "for(const t of (trails.length?trails:[null])){const b=pre.concat([l],t===null?[]:[t],post);"
              "for(const c of d.decode(Uint8Array.from(b))){const p=c.codePointAt(0);"
              "if(p>=0xA0&&p!==0xFFFD&&(p<0xD800||p>0xDFFF))seen.add(p);}}}}out[e]=Array.from(seen).sort((a,b)=>a-b);}"
              "document.body.textContent=JSON.stringify(out);" % json.dumps(cases))
    html = os.path.join(work, "held.html")
    with open(html, "w") as f:
        f.write("<!doctype html><meta charset=utf-8><body><script>" + script + "</script>")
    return {label: "".join(map(chr, points)) for label, points in json.loads(run_chromium(browser, work, html)).items()}


def written_page(label, points):
    """A page whose one area gets the text; its script, run by the browser
    on the written page, says what the area's alt reads as and how the
    browser's encoder writes each character of the text."""
    script = ("const text=%s;const a=document.createElement('a');const enc=text.map(p=>{"
              "a.href='?'+String.fromCodePoint(p);return a.search.slice(1);});"
              "const alt=Array.from(document.querySelector('area').alt,c=>c.codePointAt(0));"
              "document.body.textContent=JSON.stringify({alt:alt,enc:enc});" % json.dumps(points))
    return page(label, b"a.htm").replace(b"</body>", b"<script>" + script.encode() + b"</script></body>")


def character_length(label, data, point):
    """How many bytes of the written alt's the character at its start takes."""
    reference = b"&#%d;" % point
    if data.startswith(reference):
        return len(reference)
    lead = data[0] if data else 0
    if label == "euc-jp" and lead == 0x8F:
        return 3
    if (label == "shift_jis" and 0xA1 <= lead <= 0xDF) or (label == "gbk" and lead == 0x80) or lead < 0x80:
        return 1
    return 2


def audit_runner(audit, wine_run):
    if not wine_run:
        return lambda *args: subprocess.run([audit, *args], capture_output=True)
    return lambda *args: subprocess.run([wine_run, audit, *["Z:" + a if a.startswith("/") else a for a in args]],
                                        capture_output=True)


def check_writing(browser, work, run_audit, failures):
    held = held_characters(browser, work)
    web = os.path.join(work, "written")
    for label in WRITTEN:
        text = "".join(c for c in held[label] if c not in OTHERS) + OTHERS
        if len(held[label]) < 5000:
            failures.append("%s: the browser decoded only %d characters" % (label, len(held[label])))
        shutil.rmtree(web, ignore_errors=True)
        os.makedirs(web)
        points = [ord(c) for c in text]
        before = written_page(label, points)
        name = os.path.join(web, "p.htm")
        with open(name, "wb") as f:
            f.write(before)
        todo = os.path.join(work, "written.csv")
        with open(todo, "w", encoding="utf-8", newline="") as f:
            f.write("path,area,href,new_alt,sha256\r\np.htm,0,a.htm,%s,%s\r\n" % (text, hashlib.sha256(before).hexdigest()))
        done = run_audit("--apply", todo, web)
        if done.returncode != 0:
            failures.append("%s: --apply exited %d: %s" % (label, done.returncode, (done.stdout + done.stderr).decode(errors="replace")))
            continue
        with open(name, "rb") as f:
            after = f.read()
        theirs = json.loads(run_chromium(browser, work, name))
        if "".join(map(chr, theirs["alt"])) != text:
            wrong = [(c, d) for c, d in zip(text, map(chr, theirs["alt"])) if c != d][:5]
            failures.append("%s: the written alt reads back otherwise, first %r" % (label, wrong))
        # Each character as the browser's encoder writes it or as a reference,
        # which every reader reads the same; one it lacks as a reference.
        expected = [urllib.parse.unquote_to_bytes(e) for e in theirs["enc"]]
        start = after.index(b'alt="', after.index(b"<area")) + len(b'alt="')
        mine = after[start:after.index(b'"', start)] if label != "iso-2022-jp" else None
        if mine is None:
            # Escape sequences are placed as the text needs them: compared as
            # the characters written as references.
            ours = set(re.findall(r"&#(\d+);", after.decode("iso2022_jp_ext", errors="replace")))
            lacked = {str(p) for p, e in zip(points, expected) if e.startswith(b"&#")}
            if lacked - ours:
                failures.append("%s: %d characters the browser writes as references written otherwise"
                                % (label, len(lacked - ours)))
            referenced = len(ours - lacked)
        elif mine != b"".join(expected):
            at, wrong, referenced = 0, [], 0
            for c, e in zip(text, expected):
                length = character_length(label, mine[at:], ord(c))
                if mine[at:at + length] == b"&#%d;" % ord(c):
                    referenced += e != mine[at:at + length]
                elif mine[at:at + length] != e:
                    wrong.append("U+%04X %r, the browser %r" % (ord(c), mine[at:at + length], e))
                at += length
            if wrong:
                failures.append("%s: %d characters written otherwise than the browser writes them: %s"
                                % (label, len(wrong), "; ".join(wrong[:12])))
        if mine is None or not wrong:
            print("%s: %d characters written, %d of them as references the browser writes as bytes"
                  % (label, len(text), referenced))
    print("%d encodings written and read back by Chromium" % len(WRITTEN))


def main(audit, work, wine_run=None):
    browser = chromium()
    if not browser:
        print("Chromium is not installed; skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    if wine_run:
        failures = []
        check_writing(browser, work, audit_runner(audit, wine_run), failures)
        for failure in failures:
            print("FAIL " + failure)
        return 1 if failures else 0
    web = os.path.join(work, "web")
    os.makedirs(web)
    cases = {}
    for label in SINGLE_BYTE:
        cases[label] = (label, bytes(range(0x80, 0x100)))
    for label, (codec, text, extra) in MULTI_BYTE.items():
        cases[label] = (label, text.encode(codec) + extra)
    for key, (label, data) in cases.items():
        with open(os.path.join(web, key + ".htm"), "wb") as f:
            f.write(page(label, data))

    done = subprocess.run([audit, "--json", web], capture_output=True)
    if done.returncode != 1:
        raise SystemExit("mapnote-audit exited %d: %s" % (done.returncode, done.stderr.decode(errors="replace")))
    ours = {f["path"][:-len(".htm")]: f["href"] for f in json.loads(done.stdout)}
    theirs = browser_readings(browser, work, cases)

    failures, seen = [], set()
    for key in cases:
        if key not in ours:
            failures.append("%s: no finding" % key)
            continue
        mine, browsers = ours[key], theirs[key]
        if key in SINGLE_BYTE:
            if len(mine) != 128 or len(browsers) != 128:
                failures.append("%s: %d and %d characters for 128 bytes" % (key, len(mine), len(browsers)))
                continue
            for byte, (a, b) in enumerate(zip(mine, browsers), 0x80):
                if a == b:
                    continue
                if KNOWN.get((key, byte)) == (ord(a), ord(b)):
                    seen.add((key, byte))
                else:
                    failures.append("%s 0x%02X: U+%04X, the browser reads U+%04X" % (key, byte, ord(a), ord(b)))
        elif mine != browsers:
            failures.append("%s: %r, the browser reads %r" % (key, mine, browsers))
    check_writing(browser, work, audit_runner(audit, None), failures)
    for gone in sorted(set(KNOWN) - seen):
        print("note: %s 0x%02X now reads as the browser reads it" % gone)
    for failure in failures:
        print("FAIL " + failure)
    print("%d encodings compared with Chromium, %d known differences seen" % (len(cases), len(seen)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
