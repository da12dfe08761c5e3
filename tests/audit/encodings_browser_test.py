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
Exits 77 (skipped) when Chromium is not installed.
"""
import json
import os
import re
import shutil
import subprocess
import sys

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


def main(audit, work):
    browser = chromium()
    if not browser:
        print("Chromium is not installed; skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
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
    for gone in sorted(set(KNOWN) - seen):
        print("note: %s 0x%02X now reads as the browser reads it" % gone)
    for failure in failures:
        print("FAIL " + failure)
    print("%d encodings compared with Chromium, %d known differences seen" % (len(cases), len(seen)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
