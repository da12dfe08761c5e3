#!/usr/bin/env python3
"""Runs mapnote-audit.exe under Wine on a copy of a small web: the findings
and the exit status, then the to-do list filled in by Python's own CSV
writer and applied, after which only the area tags have changed.

    wine_small_web_test.py WINE_RUN MAPNOTE_AUDIT_EXE SAMPLE_WEB WORK_DIR
"""
import csv
import fcntl
import hashlib
import io
import os
import pty
import re
import select
import shutil
import struct
import subprocess
import sys
import termios

from wine_audit import cannot_run, check, run

PAGE_1252 = ("<html><head><meta charset=windows-1252></head><body>\r\n"
             "<p>Men\xfc: Br\xf6tchen</p>\r\n<map name=\"men\xfc\">\r\n"
             "<area href=\"br\xf6tchen.htm\" alt=\"\">\r\n<area href=\"kuchen.htm\">\r\n"
             "</map></body></html>\r\n").encode("cp1252")
# A page whose name, map and links a spreadsheet would take for formulas.
FORMULA_PAGE = b'<map name="@m">\r\n<area href="+x.htm">\r\n<area href="-y.htm" alt="">\r\n</map>\r\n'
NEW_ALTS = {("=1+2.htm", "0"): "=A1 stays text", ("=1+2.htm", "1"): "'quoted",
            ("sitemap.htm", "1"): "Our breads, \"fresh\"", ("sitemap.htm", "2"): "Cakes\nand tarts",
            ("sitemap.htm", "4"): "Orders \u2603", ("sitemap.htm", "5"): "Write to us",
            ("d\u00e9j\u00e0/men\u00fc.htm", "0"): "Br\u00f6tchen \u20ac", ("d\u00e9j\u00e0/men\u00fc.htm", "1"): "Kuchen",
            ("visit.htm", "0"): "Home", ("visit.htm", "1"): "Cakes to order", ("visit.htm", "2"): "Orders"}


def run_on_console(wine_run, exe, *args):
    """The program with its output on a terminal, which Wine makes its
    console: what a person sees there, without the terminal's control
    sequences, and the exit status."""
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 250, 0, 0))  # wide enough that no line folds
    done = subprocess.Popen([wine_run, exe, *args], stdout=slave, stderr=slave,
                            env=dict(os.environ, WINE_RUN_CONSOLE="1", LC_ALL="C.UTF-8"))  # the terminal takes UTF-8
    os.close(slave)
    seen = b""
    while True:
        ready, _, _ = select.select([master], [], [], 1)
        try:
            chunk = os.read(master, 65536) if ready else b""
        except OSError:  # every writer has gone
            break
        seen += chunk
        if not chunk and done.poll() is not None:
            break
    os.close(master)
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", seen.decode("utf-8", "replace")).replace("\r", "")
    return done.wait(), text

def outside_area_tags(data):
    return re.sub(rb"<area[^>]*>", b"<area>", data)


def check_read_only_page(wine_run, exe, work):
    """A page with the read-only attribute (Wine shows a file without write
    bits so) is refused by --apply and left as it is."""
    web = os.path.join(work, "read-only-web")
    os.makedirs(web)
    page = os.path.join(web, "locked.htm")
    data = b"<map name=m><area href=\"a.htm\"></map>\r\n"
    with open(page, "wb") as f:
        f.write(data)
    os.chmod(page, 0o444)
    todo = os.path.join(work, "read-only-todo.csv")
    with open(todo, "w", encoding="utf-8", newline="") as f:
        f.write("path,area,href,new_alt,sha256\r\nlocked.htm,0,a.htm,Apples,%s\r\n" % hashlib.sha256(data).hexdigest())
    status, out = run(wine_run, exe, "--apply", "Z:" + todo, "Z:" + web)
    check("the read-only page's refusal", (status, sorted(out.replace("\r\n", "\n").splitlines())),
          (1, ["Wrote 0 alt texts to 0 pages; 1 page refused",
               "locked.htm: refused, nothing written: Cannot save the page \"Z:%s/locked.htm\": it is read-only" % web]))
    check("the read-only page is as it was", open(page, "rb").read(), data)


def main(wine_run, exe, sample, work):
    if cannot_run(wine_run, exe):
        return 77
    shutil.rmtree(work, ignore_errors=True)
    web = os.path.join(work, "web")
    shutil.copytree(sample, web)
    os.makedirs(os.path.join(web, "d\u00e9j\u00e0"))
    os.makedirs(os.path.join(web, "_vti_cnf"))
    with open(os.path.join(web, "d\u00e9j\u00e0", "men\u00fc.htm"), "wb") as f:
        f.write(PAGE_1252)
    with open(os.path.join(web, "=1+2.htm"), "wb") as f:
        f.write(FORMULA_PAGE)
    shutil.copy(os.path.join(web, "sitemap.htm"), os.path.join(web, "_vti_cnf", "sitemap.htm"))
    before = {name: open(os.path.join(web, name), "rb").read() for name in ("sitemap.htm", "d\u00e9j\u00e0/men\u00fc.htm")}
    wine_web = "Z:" + web
    todo = os.path.join(work, "todo.csv")

    status, out = run(wine_run, exe, wine_web)
    check("the audit's exit status", status, 1)
    findings = ("=1+2.htm:2:1: missing-alt: area of map \"@m\" linking to \"+x.htm\" has no alt text\n"
                "=1+2.htm:3:1: empty-alt: area of map \"@m\" linking to \"-y.htm\" has a blank alt text\n"
                "d\u00e9j\u00e0/men\u00fc.htm:4:1: empty-alt: area of map \"men\u00fc\" linking to \"br\u00f6tchen.htm\" has a blank alt text\n"
                "d\u00e9j\u00e0/men\u00fc.htm:5:1: missing-alt: area of map \"men\u00fc\" linking to \"kuchen.htm\" has no alt text\n"
                "sitemap.htm:12:3: missing-alt: area of map \"sitemap\" linking to \"breads.htm\" has no alt text\n"
                "sitemap.htm:13:3: empty-alt: area of map \"sitemap\" linking to \"cakes.htm\" has a blank alt text\n"
                "sitemap.htm:15:3: missing-alt: area of map \"sitemap\" linking to \"orders.htm\" has no alt text\n"
                "sitemap.htm:16:3: missing-alt: area of map \"sitemap\" linking to \"mailto:hello@harbourlane.example\" has no alt text\n"
                "visit.htm:11:3: missing-alt: area of map \"street\" linking to \"index.htm\" has no alt text\n"
                "visit.htm:12:3: empty-alt: area of map \"street\" linking to \"cakes.htm\" has a blank alt text\n"
                "visit.htm:13:3: missing-alt: area of map \"street\" linking to \"orders.htm\" has no alt text\n"
                "6 pages, 15 areas: 7 missing-alt, 4 empty-alt, 0 alt-without-href\n")
    # Each page under the web as it was named, as a problem matcher opens it.
    findings = "".join(line if line.startswith("6 pages") else wine_web + "/" + line for line in findings.splitlines(True))
    check("the audit's findings", out, findings)
    # On a console the same text, which Wine shows on the terminal as UTF-8.
    check("the audit on a console", run_on_console(wine_run, exe, wine_web), (1, findings))

    status, out = run(wine_run, exe, "--todo", "Z:" + todo, wine_web)
    check("the to-do list's exit status", status, 1)
    with open(todo, newline="", encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    check("the to-do list's cells a spreadsheet would run", [(r["path"], r["map"], r["href"]) for r in rows[:2]],
          [("'=1+2.htm", "'@m", "'+x.htm"), ("'=1+2.htm", "'@m", "'-y.htm")])
    for r in rows[:2]:
        r["path"], r["href"] = r["path"][1:], r["href"][1:]  # as the audit reads them back
    check("the to-do list's rows", [(r["path"], r["area"], r["href"]) for r in rows],
          [("=1+2.htm", "0", "+x.htm"), ("=1+2.htm", "1", "-y.htm"), ("d\u00e9j\u00e0/men\u00fc.htm", "0", "br\u00f6tchen.htm"), ("d\u00e9j\u00e0/men\u00fc.htm", "1", "kuchen.htm"),
           ("sitemap.htm", "1", "breads.htm"), ("sitemap.htm", "2", "cakes.htm"), ("sitemap.htm", "4", "orders.htm"),
           ("sitemap.htm", "5", "mailto:hello@harbourlane.example"), ("visit.htm", "0", "index.htm"),
           ("visit.htm", "1", "cakes.htm"), ("visit.htm", "2", "orders.htm")])
    # Hashed by Windows' own SHA-256, and the same as Python's.
    listed = {r["path"]: open(os.path.join(web, r["path"]), "rb").read() for r in rows}
    check("the to-do list's sha256 column", [r["sha256"] for r in rows],
          [hashlib.sha256(listed[r["path"]]).hexdigest() for r in rows])
    filled = io.StringIO()
    writer = csv.DictWriter(filled, fieldnames=list(rows[0].keys()), quoting=csv.QUOTE_ALL)
    writer.writeheader()
    for r in rows:
        r["new_alt"] = NEW_ALTS[(r["path"], r["area"])]
        if r["path"] == "=1+2.htm":
            r["path"], r["href"] = "'" + r["path"], "'" + r["href"]  # the list keeps its guard
        writer.writerow(r)
    with open(todo, "w", encoding="utf-8-sig", newline="") as f:
        f.write(filled.getvalue())

    status, out = run(wine_run, exe, "--apply", "Z:" + todo, wine_web)
    check("the apply's exit status", status, 0)
    check("the apply's report", out, "=1+2.htm: wrote 2 alt texts\n"
                                     "d\u00e9j\u00e0/men\u00fc.htm: wrote 2 alt texts\nsitemap.htm: wrote 4 alt texts\n"
                                     "visit.htm: wrote 3 alt texts\nWrote 11 alt texts to 4 pages; 0 pages refused\n")
    check("the page named like a formula, byte for byte", open(os.path.join(web, "=1+2.htm"), "rb").read(),
          b'<map name="@m">\r\n<area href="+x.htm" alt="=A1 stays text">\r\n'
          b'<area href="-y.htm" alt="\'quoted">\r\n</map>\r\n')
    after = {name: open(os.path.join(web, name), "rb").read() for name in before}
    for name in before:
        check("no byte outside the area tags of %s changed" % name, outside_area_tags(after[name]),
              outside_area_tags(before[name]))
    check("the windows-1252 page's new tags", re.findall(rb"<area[^>]*>", after["d\u00e9j\u00e0/men\u00fc.htm"]),
          [b'<area href="br\xf6tchen.htm" alt="Br\xf6tchen \x80">', b'<area href="kuchen.htm" alt="Kuchen">'])
    check("the UTF-8 page's new tags", re.findall(rb"<area[^>]*>", after["sitemap.htm"])[1:3] +
          re.findall(rb"<area[^>]*>", after["sitemap.htm"])[4:],
          [b'<area shape="rect" coords="120,0,240,120" href="breads.htm" alt="Our breads, &quot;fresh&quot;">',
           b'<area shape="rect" coords="240,0,360,120" href="cakes.htm" alt="Cakes\nand tarts">',
           b'<area shape="rect" coords="480,0,600,60" href="orders.htm" alt="Orders \xe2\x98\x83">',
           b'<area shape="rect" coords="480,60,600,120" href="mailto:hello@harbourlane.example" alt="Write to us">'])

    status, out = run(wine_run, exe, wine_web)
    check("the audit afterwards", (status, out), (0, "6 pages, 15 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n"))

    # Rows that would lead out of the web without any link, or name a page
    # the audit leaves out, are refused and nothing is written.
    outside = os.path.join(work, "outside.htm")
    with open(outside, "wb") as f:
        f.write(b"<map name=m><area href=a.htm></map>")
    vti = os.path.join(web, "_vti_cnf", "sitemap.htm")
    files = {name: open(name, "rb").read() for name in (outside, vti)}
    escapes = {"..\\outside.htm": outside, "sub\\..\\..\\outside.htm": outside, "Z:" + outside: outside,
               outside: outside, "_vti_cnf/sitemap.htm": vti}
    with open(todo, "w", encoding="utf-8", newline="") as f:
        f.write("path,area,href,new_alt,sha256\r\n")
        for path, target in escapes.items():
            f.write("%s,%s,%s,Out,%s\r\n" % (path, "1" if target == vti else "0", "breads.htm" if target == vti else "a.htm",
                                              hashlib.sha256(files[target]).hexdigest()))
    status, out = run(wine_run, exe, "--apply", "Z:" + todo, wine_web)
    leads_out = ": refused, nothing written: the path leads out of the web\n"
    check("the escaping rows refused", (status, out),
          (1, "..\\outside.htm" + leads_out + outside + leads_out + "Z:" + outside + leads_out +
           "_vti_cnf/sitemap.htm: refused, nothing written: it lies in a hidden or _vti_* folder, which the audit leaves out\n"
           "sub\\..\\..\\outside.htm" + leads_out + "Wrote 0 alt texts to 0 pages; 5 pages refused\n"))
    check("the files named by those rows unchanged", {name: open(name, "rb").read() for name in files}, files)
    check_read_only_page(wine_run, exe, work)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
