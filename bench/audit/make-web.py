#!/usr/bin/env python3
"""Writes the web that make bench audits: PAGES pages of about 12 kB each,
the same bytes on every run, in the style of a web kept with the host
(FrontPage's generator tags, tables, scripts, comments), some in
windows-1252 and some in UTF-8, with image maps whose areas have alt text,
lack it, have it empty or have it without a link.

The web is made so that every checker reads it alike: no alt of blanks only
(html-validate accepts those), no areas in nested or unclosed maps, no
character outside the Basic Multilingual Plane, and no area on a page's
first line.

    make-web.py FOLDER [PAGES]
"""
import os
import random
import shutil
import sys

WORDS = ("bread loaf rye spelt oven crust flour yeast dough morning harbour lane bakery order cake tart honey "
         "butter seed grain mill baker table market delivery weekend opening hours visit us our fresh daily").split()
ACCENTED = "\u00e9\u00fc\u00f6\u00e0\u00e8\u00e7\u00f1\u00e4"


def sentence(rng, accents):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 16))]
    if accents and rng.random() < 0.3:
        word = rng.randrange(len(words))
        words[word] = words[word][:2] + rng.choice(ACCENTED) + words[word][2:]
    return " ".join(words).capitalize() + "."


def area(rng, page, k, in_map):
    shape = rng.choice(['shape="rect" coords="%d,0,%d,40"' % (k * 40, k * 40 + 40), 'shape="circle" coords="%d,20,18"' % (k * 40 + 20)])
    target = "page%04d.htm" % rng.randrange(1000)
    roll = rng.random()
    if roll < 0.70:
        attributes = 'href="%s" alt="%s"' % (target, rng.choice(WORDS).capitalize() + " " + rng.choice(WORDS))
    elif roll < 0.80:
        attributes = 'href="%s"' % target
    elif roll < 0.87:
        attributes = 'href="%s" alt=""' % target
    elif roll < 0.90:
        attributes = 'href="%s" alt' % target
    elif roll < 0.94:
        attributes = 'nohref alt="%s"' % rng.choice(WORDS)
    else:
        attributes = "nohref"
    tag = "<area %s %s>" % (shape, attributes)
    if in_map and rng.random() < 0.05:
        tag = tag.replace("<area", "<AREA").replace("href=", "HREF=")
    return tag


def page(rng, number, encoding):
    accents = True
    out = ['<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">', "<html>", "<head>",
           '<meta http-equiv="Content-Type" content="text/html; charset=%s">' % encoding,
           '<meta name="GENERATOR" content="Microsoft FrontPage 4.0">',
           '<meta name="ProgId" content="FrontPage.Editor.Document">',
           "<title>Page %d - Harbour Lane Bakery</title>" % number,
           "<style>td { font-family: Arial } .nav area { color: red }</style>",
           '<script language="JavaScript"><!--',
           "function swap(n) { document.write('<area href=\"x' + n + '.htm\">'); }",
           "//--></script>", "</head>", '<body bgcolor="#FFFFFF">']
    maps = rng.randint(1, 3)
    blocks = rng.randint(9, 15)
    for block in range(blocks):
        out.append('<table border="0" width="100%"><tr><td valign="top">')
        for _ in range(rng.randint(2, 5)):
            out.append("<p>" + " ".join(sentence(rng, accents) for _ in range(rng.randint(2, 5))) + "</p>")
        out.append("</td></tr></table>")
        if block % (blocks // maps + 1) == 1:
            name = "map%d" % block
            out.append('<p><img src="images/nav%d.gif" width="400" height="40" usemap="#%s" border="0"></p>' % (block, name))
            out.append('<map name="%s">' % name)
            for k in range(rng.randint(3, 9)):
                out.append("  " + area(rng, number, k, True))
            out.append("</map>")
        if rng.random() < 0.1:
            out.append("<!-- the old menu: <area href=\"old.htm\"> -->")
        if rng.random() < 0.05:
            out.append(area(rng, number, 0, False))  # outside any map: no image-map area
    out += ['<p><a href="index.htm">Home</a></p>', "</body>", "</html>", ""]
    text = "\r\n".join(out)
    return text.encode("cp1252" if encoding == "windows-1252" else "utf-8")


def main(folder, pages=1000):
    rng = random.Random(20001208)
    shutil.rmtree(folder, ignore_errors=True)
    total = 0
    for number in range(int(pages)):
        section = "section%02d" % (number // 50)
        os.makedirs(os.path.join(folder, section), exist_ok=True)
        encoding = "windows-1252" if number % 3 == 0 else "utf-8"
        data = page(rng, number, encoding)
        with open(os.path.join(folder, section, "page%04d.htm" % number), "wb") as f:
            f.write(data)
        total += len(data)
    print("%d pages, %d bytes" % (int(pages), total))


if __name__ == "__main__":
    main(*sys.argv[1:3])
