#!/usr/bin/env python3
"""Writes the web that make bench audits: PAGES pages, the same bytes on
every run, as webs kept with the host look: FrontPage's generator tags,
inline scripts and style sheets of 1 kB to 100 kB (some on one long line),
comments (some long, some holding old markup with areas), tables nested in
tables, upper-case tags, unquoted attributes, CR LF or LF line ends,
windows-1252 and UTF-8 pages, from 1 kB to 500 kB, with image maps whose
areas have alt text, lack it, have it empty or have it without a link.

The findings are known: each area's rule, line and column (in characters)
go to FOLDER/expected-findings.json, which compare.py holds the audit's and
html-validate's findings to. The web is made so that every checker reads it
alike: no alt of blanks only (html-validate accepts those), no areas in
nested or unclosed maps, no character outside the Basic Multilingual Plane,
no area on a page's first line, and no "<script" inside a script.

    make-web.py FOLDER [PAGES]
"""
import json
import math
import os
import random
import shutil
import sys

WORDS = ("bread loaf rye spelt oven crust flour yeast dough morning harbour lane bakery order cake tart honey "
         "butter seed grain mill baker table market delivery weekend opening hours visit us our fresh daily").split()
ACCENTED = "\u00e9\u00fc\u00f6\u00e0\u00e8\u00e7\u00f1\u00e4"
EXPECTED = "expected-findings.json"


def sentence(rng, accents):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 16))]
    if accents and rng.random() < 0.3:
        word = rng.randrange(len(words))
        words[word] = words[word][:2] + rng.choice(ACCENTED) + words[word][2:]
    return " ".join(words).capitalize() + "."


def log_size(rng, low, high):
    return int(math.exp(rng.uniform(math.log(low), math.log(high))))


class Page:
    """The page's lines, each without a line end, and its areas' expected
    findings as (line index, column, rule)."""

    def __init__(self, upper):
        self.lines, self.findings, self.size, self.upper = [], [], 0, upper

    def tag(self, text):
        """Tags as written, their names and attribute names upper-cased on
        an upper-case page; values, quoted or not, are left as they are."""
        if not self.upper:
            return text
        out, i = [], 0
        while i < len(text):
            if text[i] in "\"'":
                end = text.index(text[i], i + 1) + 1
            elif text[i] == "=" and text[i + 1:i + 2] not in ("\"", "'"):
                end = i + 1
                while end < len(text) and text[end] not in " >":
                    end += 1
            else:
                out.append(text[i].upper())
                i += 1
                continue
            out.append(text[i:end])
            i = end
        return "".join(out)

    def add(self, line, areas=()):
        """`areas`: (character offset in `line`, expected rule or None)."""
        assert "\n" not in line and "\r" not in line
        for offset, rule in areas:
            if rule:
                self.findings.append((len(self.lines), offset + 1, rule))
        self.lines.append(line)
        self.size += len(line) + 2


def area(rng, k, quoted, in_map):
    """An area tag and the rule it breaks inside a map, if any."""
    q = '"' if quoted else ""
    shape = rng.choice(["shape=%srect%s coords=%s%d,0,%d,40%s" % (q, q, q, k * 40, k * 40 + 40, q),
                        "shape=%scircle%s coords=%s%d,20,18%s" % (q, q, q, k * 40 + 20, q)])
    target = "page%04d.htm" % rng.randrange(1000)
    alt = rng.choice(WORDS).capitalize()
    roll = rng.random()
    if roll < 0.70:
        attributes, rule = 'href=%s%s%s alt="%s %s"' % (q, target, q, alt, rng.choice(WORDS)), None
        if not quoted and rng.random() < 0.5:
            attributes = "href=%s alt=%s" % (target, alt)
    elif roll < 0.80:
        attributes, rule = "href=%s%s%s" % (q, target, q), "missing-alt"
    elif roll < 0.87:
        attributes, rule = 'href=%s%s%s alt=""' % (q, target, q), "empty-alt"
    elif roll < 0.90:
        attributes, rule = "href=%s%s%s alt" % (q, target, q), "empty-alt"
    elif roll < 0.94:
        attributes, rule = "nohref alt=%s%s%s" % (q, rng.choice(WORDS), q), "alt-without-href"
    else:
        attributes, rule = "nohref", None
    tag = "<area %s %s>" % (shape, attributes)
    if rng.random() < 0.05:
        tag = tag.replace("<area", "<AREA").replace("href=", "HREF=")
    return tag, rule if in_map else None


def style_sheet(rng, page, size):
    page.add(page.tag('<style type="text/css">'))
    page.add("<!--")
    written = 0
    while written < size:
        rule = ".%s%d td.%s, #%s > p { font-family: Arial, sans-serif; color: #%06x; margin: %dpx }" % (
            rng.choice(WORDS), rng.randrange(100), rng.choice(WORDS), rng.choice(WORDS), rng.randrange(1 << 24),
            rng.randrange(20))
        page.add(rule)
        written += len(rule) + 2
    page.add("-->")
    page.add(page.tag("</style>"))


def script(rng, page, size):
    """JavaScript that writes markup, areas too, which no checker counts."""
    statements, written = [], 0
    while written < size:
        n = rng.randrange(1000)
        statement = rng.choice([
            "function swap%d(n) { document.write('<area href=\"x' + n + '.htm\">'); return n < %d; }" % (n, n),
            "if (navigator.appName == \"Netscape\" && i%d < %d) { document.write('<map name=\"m%d\"><area nohref alt=\"\"></map>'); }" % (n, n, n),
            "var menu%d = new Array(\"%s\", \"%s\", \"<b>%s</b>\", '<a href=\"page%04d.htm\">');" % (
                n, rng.choice(WORDS), rng.choice(WORDS), rng.choice(WORDS), n),
            "for (var i = 0; i < %d; i++) { if (a[i] < b[i] && c > 1) total += a[i] * %d; } // <p> is no tag here" % (n, n),
        ])
        statements.append(statement)
        written += len(statement) + 1
    page.add(page.tag('<script language="JavaScript">') + "<!--")
    if rng.random() < 0.3:
        page.add(" ".join(statements))  # minified: one long line
    else:
        for statement in statements:
            page.add(statement)
    page.add("//-->" + page.tag("</script>"))


def comment(rng, page, size):
    page.add("<!-- old version, kept for the next season:")
    written = 0
    while written < size:
        line = rng.choice(['<p><area href="old%d.htm"> %s</p>' % (rng.randrange(100), sentence(rng, False)),
                           '<table><tr><td><map name="old"><area href="x.htm"></map></td></tr></table>',
                           sentence(rng, False)])
        page.add(line)
        written += len(line) + 2
    page.add("-->")


def image_map(rng, page, number, block, quoted, accents):
    name = "map%d" % block
    q = '"' if quoted else ""
    page.add(page.tag('<table border=%s0%s cellpadding=%s2%s><tr><td><div align=%scenter%s>' % (q, q, q, q, q, q)))
    page.add(page.tag('<img src=%simages/nav%d.gif%s width=%s400%s height=%s40%s usemap=%s#%s%s border=%s0%s>' % (
        q, block, q, q, q, q, q, q, name, q, q, q)))
    if rng.random() < 0.3:
        # A map written on one line: several areas per line, the columns apart.
        line, areas = page.tag("<map name=%s%s%s>" % (q, name, q)), []
        for k in range(rng.randint(3, 6)):
            tag, rule = area(rng, k, quoted, True)
            areas.append((len(line), rule))
            line += tag
        page.add(line + page.tag("</map>"), areas)
    else:
        page.add(page.tag("<map name=%s%s%s>" % (q, name, q)))
        for k in range(rng.randint(3, 9)):
            tag, rule = area(rng, k, quoted, True)
            indent = "  " if rng.random() < 0.8 else "    <!-- %s -->" % rng.choice(WORDS)
            page.add(indent + tag, [(len(indent), rule)])
        page.add(page.tag("</map>"))
    page.add(page.tag("</div></td></tr></table>"))


def text_block(rng, page, accents, quoted):
    q = '"' if quoted else ""
    page.add(page.tag('<table border=%s0%s width=%s100%%%s><tr><td valign=%stop%s>' % (q, q, q, q, q, q)))
    if rng.random() < 0.4:
        page.add(page.tag('<table width=%s90%%%s><tr><td><font face=%sArial%s size=%s2%s>' % (q, q, q, q, q, q)))
        page.add("<b>" + sentence(rng, accents) + "</b>" + page.tag("</font></td><td>") + sentence(rng, accents))
        page.add(page.tag("</td></tr></table>"))
    for _ in range(rng.randint(2, 5)):
        page.add(page.tag("<p>") + " ".join(sentence(rng, accents) for _ in range(rng.randint(2, 5))) + page.tag("</p>"))
    if rng.random() < 0.3:
        page.add(page.tag("<ul>") + "".join(page.tag("<li>") + rng.choice(WORDS) for _ in range(rng.randint(3, 8))) +
                 page.tag("</ul>"))
    page.add(page.tag("</td></tr></table>"))


def page_size(rng):
    roll = rng.random()
    if roll < 0.70:
        return log_size(rng, 1000, 20000)
    if roll < 0.95:
        return log_size(rng, 20000, 100000)
    return log_size(rng, 100000, 500000)


def make_page(rng, number, encoding):
    upper = rng.random() < 0.2
    quoted = rng.random() < 0.7
    accents = True
    size = page_size(rng)
    page = Page(upper)
    page.add('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">')
    for line in ["<html>", "<head>", '<meta http-equiv="Content-Type" content="text/html; charset=%s">' % encoding,
                 '<meta name="GENERATOR" content="Microsoft FrontPage 4.0">',
                 '<meta name="ProgId" content="FrontPage.Editor.Document">']:
        page.add(page.tag(line))
    page.add(page.tag("<title>") + "Page %d - Harbour Lane Bakery" % number + page.tag("</title>"))
    if rng.random() < 0.6:
        style_sheet(rng, page, min(log_size(rng, 1000, 100000), size // 3))
    if rng.random() < 0.7:
        script(rng, page, min(log_size(rng, 1000, 100000), size // 2))
    page.add(page.tag("</head>"))
    page.add(page.tag('<body bgcolor="#FFFFFF">'))
    maps = rng.choice([1, 1, 2, 2, 3]) if rng.random() < 0.9 else 0
    block = 0
    while block < maps or page.size < size:
        if block < maps and (block % 2 == 1 or page.size >= size):
            image_map(rng, page, number, block, quoted, accents)
            maps -= 1
        else:
            text_block(rng, page, accents, quoted)
        if rng.random() < 0.1:
            comment(rng, page, log_size(rng, 100, 30000) if rng.random() < 0.3 else 100)
        if rng.random() < 0.05:
            tag, _ = area(rng, 0, quoted, False)
            page.add(tag)  # outside any map: no image-map area
        block += 1
    page.add(page.tag('<p><a href="index.htm">Home</a></p>'))
    page.add(page.tag("</body>"))
    page.add(page.tag("</html>"))
    page.add("")
    end = "\r\n" if rng.random() < 0.7 else "\n"
    data = end.join(page.lines).encode("cp1252" if encoding == "windows-1252" else "utf-8")
    return data, [(line + 1, column, rule) for line, column, rule in page.findings]


def main(folder, pages=1000):
    rng = random.Random(20001208)
    shutil.rmtree(folder, ignore_errors=True)
    total, expected = 0, []
    for number in range(int(pages)):
        section = "section%02d" % (number // 50)
        os.makedirs(os.path.join(folder, section), exist_ok=True)
        encoding = "windows-1252" if number % 3 == 0 else "utf-8"
        data, findings = make_page(rng, number, encoding)
        path = "%s/page%04d.htm" % (section, number)
        with open(os.path.join(folder, path), "wb") as f:
            f.write(data)
        total += len(data)
        expected += [{"path": path, "line": line, "column": column, "rule": rule} for line, column, rule in findings]
    with open(os.path.join(folder, EXPECTED), "w") as f:
        json.dump(expected, f, indent=0)
    print("%d pages, %d bytes, %d findings" % (int(pages), total, len(expected)))


if __name__ == "__main__":
    main(*sys.argv[1:3])
