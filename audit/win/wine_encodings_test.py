#!/usr/bin/env python3
"""Runs mapnote-audit.exe under Wine on a small web of pages in big5,
shift_jis, windows-1251, iso-2022-jp, ISO 8859 parts Windows has no code
page for, and UTF-16: each page's areas are found with their
texts, lines and columns, and texts of the page's script, and a character it
lacks, are written back through the to-do list, in the page's own bytes or as
a character reference, with nothing else of the page changed.

    wine_encodings_test.py WINE_RUN MAPNOTE_AUDIT_EXE WORK_DIR
"""
import csv
import html
import html.parser
import io
import os
import re
import shutil
import sys

from wine_audit import cannot_run, check, run

# name, label in the page's <meta> (None: none), Python's codec, byte-order mark, the script's text
PAGES = [
    ("big5.htm", "big5", "big5hkscs", b"", "\u7db2\u7ad9\u5730\u5716 \u529f\u80fd\u8a31\u53ef"),
    ("sjis.htm", "shift_jis", "cp932", b"", "\u30b5\u30a4\u30c8\u30de\u30c3\u30d7 \u8868\u793a \u30bd\u30d5\u30c8"),
    ("cp1251.htm", "windows-1251", "cp1251", b"", "\u041a\u0430\u0440\u0442\u0430 \u0441\u0430\u0439\u0442\u0430"),
    ("jis.htm", "iso-2022-jp", "iso2022_jp", b"", "\u30b5\u30a4\u30c8\u30de\u30c3\u30d7 \u8868\u793a \u00a5100"),
    ("latin6.htm", "iso-8859-10", "iso8859_10", b"", "\u00de\u00f3r\u00f0ur \u014b \u0167"),
    ("latin8.htm", "ISO-8859-14", "iso8859_14", b"", "\u0174yddfa \u0177 \u1e81"),
    ("latin10.htm", "iso-8859-16", "iso8859_16", b"", "\u0218tiin\u021b\u0103 \u20ac \u0219"),
    ("utf16.htm", None, "utf-16-le", b"\xff\xfe", "\u30b5\u30a4\u30c8 \u041a\u0430\u0440\u0442\u0430 \U0001F5FA"),
]
FOREIGN = "\U0001F600"


def page_text(label, t):
    meta = '<meta http-equiv="Content-Type" content="text/html; charset=%s">' % label if label else ""
    return ("<html><head>%s<title>%s</title></head>\r\n<body><p>%s</p>\r\n<map name=\"%s\">\r\n"
            "%s <area href=\"%s.htm\" alt=\"%s\">\r\n%s%s <area href=\"%s/2.htm\">\r\n</map></body></html>\r\n"
            % (meta, t, t, t, t, t, t, t, t, t))


class Areas(html.parser.HTMLParser):
    """The area tags' href and alt, decoded as a parser decodes them."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.found = []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        if tag == "area":
            attrs = dict(attrs)
            self.found.append((attrs.get("href"), attrs.get("alt")))


def main(wine_run, exe, work):
    if cannot_run(wine_run, exe):
        return 77
    shutil.rmtree(work, ignore_errors=True)
    web = os.path.join(work, "web")
    os.makedirs(web)
    before = {}
    for name, label, codec, bom, t in PAGES:
        before[name] = bom + page_text(label, t).encode(codec)
        with open(os.path.join(web, name), "wb") as f:
            f.write(before[name])
    wine_web = "Z:" + web
    todo = os.path.join(work, "todo.csv")

    status, out = run(wine_run, exe, wine_web)
    check("the audit's exit status", status, 1)
    expected = "".join("%s/%s:5:%d: missing-alt: area of map \"%s\" linking to \"%s/2.htm\" has no alt text\n"
                       % (wine_web, name, 2 * len(t) + 2, t, t) for name, _, _, _, t in sorted(PAGES))
    n = len(PAGES)
    check("the audit's findings, in each page's characters", out,
          expected + "%d pages, %d areas: %d missing-alt, 0 empty-alt, 0 alt-without-href\n" % (n, 2 * n, n))

    status, out = run(wine_run, exe, "--todo", "Z:" + todo, wine_web)
    check("the to-do list's exit status", status, 1)
    with open(todo, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    texts = {name: t for name, _, _, _, t in PAGES}
    check("the to-do list's rows, in UTF-8", [(r["path"], r["area"], r["map"], r["href"]) for r in rows],
          [(name, "1", texts[name], texts[name] + "/2.htm") for name in sorted(texts)])
    filled = io.StringIO()
    writer = csv.DictWriter(filled, fieldnames=list(rows[0].keys()))
    writer.writeheader()
    for r in rows:
        r["new_alt"] = texts[r["path"]] + " " + FOREIGN
        writer.writerow(r)
    with open(todo, "w", encoding="utf-8", newline="") as f:
        f.write(filled.getvalue())

    status, out = run(wine_run, exe, "--apply", "Z:" + todo, wine_web)
    check("the apply's exit status", status, 0)
    check("the apply's report", out, "".join("%s: wrote 1 alt text\n" % name for name in sorted(texts)) +
          "Wrote %d alt texts to %d pages; 0 pages refused\n" % (n, n))

    for name, label, codec, bom, t in PAGES:
        with open(os.path.join(web, name), "rb") as f:
            after = f.read()
        if bom:
            check("%s keeps its byte-order mark" % name, after[:len(bom)], bom)
        text = after[len(bom):].decode(codec)
        old = before[name][len(bom):].decode(codec)
        check("%s: the texts read back" % name, Areas(text).found,
              [(t + ".htm", t), (t + "/2.htm", t + " " + FOREIGN)])
        references = "&#%d;" % ord(FOREIGN) in text
        check("%s: the script's text in the page's own bytes, the rest as a reference" % name,
              (references, html.unescape(re.findall(r"<area[^>]*>", text)[1]).count(t)), (codec != "utf-16-le", 2))
        check("%s: nothing changed outside the area tags" % name,
              re.sub(r"<area[^>]*>", "<area>", text), re.sub(r"<area[^>]*>", "<area>", old))
        pre = bom + old[:old.index("<area href=\"%s/2.htm\"" % t)].encode(codec)
        post = "\r\n</map></body></html>\r\n".encode(codec)
        check("%s: no byte before or after the edited tag changed" % name,
              (after.startswith(pre), after.endswith(post)), (True, True))

    status, out = run(wine_run, exe, wine_web)
    check("the audit afterwards", (status, out),
          (0, "%d pages, %d areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n" % (n, 2 * n)))
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
