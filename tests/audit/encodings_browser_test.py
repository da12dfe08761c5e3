#!/usr/bin/env python3
"""Pages in the web's encodings read by mapnote-audit as Chromium reads
them: for each single-byte encoding every byte from 0x80 to 0xFF, and for
each multi-byte one a text in its script with the bytes where its
converters are known to differ, are written as an area's href; the href the
audit reports must be what the browser's TextDecoder makes of those bytes.

    encodings_browser_test.py MAPNOTE_AUDIT WORK_DIR [WINE_RUN]

Where the C library's converters read a byte otherwise than browsers, and
the byte never makes markup, the difference is listed in KNOWN below; a
difference not listed fails, a listed one that is gone is reported.
Then every character each multi-byte decoder gives, and a few more, goes
into a page by --apply (with WINE_RUN, only that, by the Windows build): as
Chromium's encoder writes it in a link's query on that page or as a
reference, read back the same. Exits 77 (skipped) without Chromium.
"""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

from known_differences import verdict

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

# Bytes (prefix, leads, trails) giving the characters written; iso-2022-jp,
# whose escapes go where the text needs them, is only read back.
PAIRS = (b"", range(0x81, 0xFF), range(0x40, 0xFF))
WRITTEN = {"big5": [PAIRS], "gbk": [PAIRS, (b"", [0x80], [None])], "shift_jis": [PAIRS, (b"", range(0xA1, 0xE0), [None])],
           "euc-kr": [PAIRS], "euc-jp": [PAIRS, (b"\x8f", range(0xA1, 0xFF), range(0xA1, 0xFF))],
           "iso-2022-jp": [(b"\x1b$B", range(0x21, 0x7F), range(0x21, 0x7F)), (b"\x1b(I", range(0x21, 0x60), [None])]}
OTHERS = "\u00fc\u0100\u20ac\u2550\u255e\u2561\u256a\u5341\u5345\u2212\uff5e\u00a5\u203e\U0001F600"


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
    return {key: "".join(map(chr, points)) for key, points in json.loads(run_script(browser, work, script)).items()}


def run_script(browser, work, script, html=None):
    """The body's text once the script has run: on a page of its own, or the one in `html`."""
    if not html:
        html = os.path.join(work, "script.html")
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
    return body.group(1)


def check_writing(browser, work, run_audit, failures):
    # What the decoders give, above ASCII and the C1 controls no alt may hold.
    script = ("const out={};for(const [e,ways] of Object.entries(%s)){const d=new TextDecoder(e),seen=new Set();"
              "for(const [pre,leads,trails] of ways)for(const l of leads)for(const t of trails)for(const c of "
              "d.decode(Uint8Array.from(pre.concat([l],t===null?[]:[t])))){const p=c.codePointAt(0);"
              "if(p>=0xA0&&p!==0xFFFD&&(p<0xD800||p>0xDFFF))seen.add(p);}out[e]=Array.from(seen);}"
              "document.body.textContent=JSON.stringify(out);"
              % json.dumps({k: [[list(p), list(l), list(t)] for p, l, t in w] for k, w in WRITTEN.items()}))
    for label, points in json.loads(run_script(browser, work, script)).items():
        text = "".join(chr(p) for p in points if chr(p) not in OTHERS) + OTHERS
        web = os.path.join(work, "written", label)
        os.makedirs(web)
        script = ("const a=document.createElement('a');document.body.textContent=JSON.stringify({alt:Array.from("
                  "document.querySelector('area').alt,c=>c.codePointAt(0)),enc:%s.map(p=>{a.href='?'+"
                  "String.fromCodePoint(p);return a.search.slice(1);})});" % json.dumps([ord(c) for c in text]))
        before = page(label, b"a.htm").replace(b"</body>", b"<script>" + script.encode() + b"</script></body>")
        open(web + "/p.htm", "wb").write(before)
        open(web + ".csv", "w", encoding="utf-8").write("path,area,href,new_alt,sha256\np.htm,0,a.htm,%s,%s\n" % (text, hashlib.sha256(before).hexdigest()))
        done = run_audit("--apply", web + ".csv", web)
        if done.returncode != 0:
            raise SystemExit("%s: --apply exited %d: %r" % (label, done.returncode, done.stdout + done.stderr))
        after, theirs = open(web + "/p.htm", "rb").read(), json.loads(run_script(browser, work, None, web + "/p.htm"))
        if theirs["alt"] != [ord(c) for c in text]:
            failures.append("%s: the alt reads back otherwise" % label)
        at = after.index(b'alt="', after.index(b"<area")) + 5
        for c, e in zip(text, map(urllib.parse.unquote_to_bytes, theirs["enc"])) if label != "iso-2022-jp" else []:
            mine = b"&#%d;" % ord(c) if after.startswith(b"&#%d;" % ord(c), at) else after[at:at + len(e)]
            if mine != e and not mine.startswith(b"&#"):
                failures.append("%s: U+%04X written as %r, Chromium writes %r" % (label, ord(c), mine, e))
                break
            at += len(mine)


def main(audit, work, wine_run=None):
    browser = chromium()
    if not browser:
        print("Chromium is not installed; skipped")
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # Under Wine, files by the drive Wine gives the root.
    failures, z, prefix = [], "Z:" if wine_run else "", [wine_run, audit] if wine_run else [audit]
    check_writing(browser, work, lambda *a: subprocess.run(prefix + [z + x if x[0] == "/" else x for x in a],
                                                           capture_output=True), failures)
    if wine_run:
        print("\n".join("FAIL " + failure for failure in failures))
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

    seen = set()
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
    return verdict(failures, KNOWN, seen, lambda gone: "note: %s 0x%02X now reads as the browser reads it" % gone,
                   "%d encodings compared with Chromium, %d known differences seen" % (len(cases), len(seen)))


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
