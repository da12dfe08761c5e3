#!/usr/bin/env python3
"""mapnote-audit --format sarif on several webs: every log it writes is
valid against the SARIF 2.1.0 schema and says what --json says, each
result at its area tag (the line, the column in characters, the tag's
text as the snippet), with page URIs that are percent-encoded references
resolving to the page under the web's base URI; unreadable pages are
notifications.

    sarif_test.py MAPNOTE_AUDIT SCHEMA SAMPLE_WEB TEST_PAGES SCRATCH
"""
import json
import os
import re
import shutil
import subprocess
import sys
import urllib.parse

import jsonschema

AREA_PAGE = ('<meta charset="utf-8">\n<p>Fünf Brötchen</p>\n<map name="m">\n  <p>Grüße</p><area href="a b.htm">'
             '<area href="c.htm" alt=" ">\r\n<area alt="Ünten" nohref>\n</map>\n')
RULES = ["missing-alt", "empty-alt", "alt-without-href", "alt-is-file-name", "alt-is-url", "alt-is-code",
         "alt-is-placeholder", "alt-too-long", "alt-not-distinct"]
URI_REFERENCE = re.compile(r"^(?:[A-Za-z0-9\-._~/]|%[0-9A-F]{2})+$")


def put(web, relative, data):
    path = os.path.join(web, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_webs(sample, test_pages, scratch):
    shutil.rmtree(scratch, ignore_errors=True)
    webs = {}
    webs["sample"] = os.path.join(scratch, "sample")
    shutil.copytree(sample, webs["sample"])
    webs["test pages"] = os.path.join(scratch, "test pages")
    shutil.copytree(test_pages, webs["test pages"])
    names = webs["names"] = os.path.join(scratch, "Bäckerei web")
    put(names, "Übersicht mit Leerzeichen.htm", AREA_PAGE.encode("utf-8"))
    put(names, "Ordner Ä/100% #1?&.htm", AREA_PAGE.encode("utf-8"))
    put(names, "café.htm", AREA_PAGE.replace("utf-8", "windows-1252").encode("cp1252"))
    put(names, "kaputt ü.htm", b"<meta charset=iso-2022-kr>")  # an encoding browsers do not read
    put(names, "clean.htm", b"<map><area href=a alt=A></map>")
    webs["clean"] = os.path.join(scratch, "clean")
    put(webs["clean"], "a.htm", b"<map><area href=a alt=A></map>")
    webs["unreadable"] = os.path.join(scratch, "unreadable")
    put(webs["unreadable"], "a.htm", b"<meta charset=iso-2022-kr>")
    webs["empty"] = os.path.join(scratch, "empty")
    os.makedirs(webs["empty"])
    return webs


def run(audit, *args):
    done = subprocess.run([audit, *args], capture_output=True)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def tag_at(web, path, line, column):
    """The text of the page from (line, column), both counted as the audit
    counts them: lines end at CR LF, LF or CR, columns in characters."""
    with open(os.path.join(web, path), "rb") as f:
        data = f.read()
    try:
        text = data.decode("utf-8-sig")
    except UnicodeDecodeError:
        text = data.decode("cp1252", errors="replace")
    lines = re.split(r"\r\n|\r|\n", text)
    return lines[line - 1][column - 1:]


def check_web(audit, validator, name, web):
    failures = []
    status, out, err = run(audit, "--format", "sarif", web)
    json_status, json_out, _ = run(audit, "--json", web)
    log = json.loads(out)
    for error in validator.iter_errors(log):
        failures.append("%s: not valid SARIF: %s at %s" % (name, error.message, list(error.absolute_path)))
    if status != json_status:
        failures.append("%s: exit status %d, with --json %d" % (name, status, json_status))
    if not err.strip():
        failures.append("%s: no summary on stderr" % name)

    (run_,) = log["runs"]
    driver = run_["tool"]["driver"]
    if [rule["id"] for rule in driver["rules"]] != RULES or not driver.get("version"):
        failures.append("%s: driver %s" % (name, driver))
    base = run_["originalUriBaseIds"]["WEBROOT"]["uri"]
    if urllib.parse.unquote(base) != "file://" + os.path.abspath(web) + "/":
        failures.append("%s: base URI %s is not the web's" % (name, base))
    if run_["columnKind"] != "unicodeCodePoints":
        failures.append("%s: columnKind %s" % (name, run_["columnKind"]))

    ours = []
    for result in run_["results"]:
        location = result["locations"][0]["physicalLocation"]
        uri = location["artifactLocation"]["uri"]
        region = location["region"]
        if location["artifactLocation"]["uriBaseId"] != "WEBROOT" or not URI_REFERENCE.match(uri):
            failures.append("%s: %r is no percent-encoded reference under WEBROOT" % (name, uri))
        if RULES[result["ruleIndex"]] != result["ruleId"]:
            failures.append("%s: ruleIndex %d for %s" % (name, result["ruleIndex"], result["ruleId"]))
        path = urllib.parse.unquote(uri)
        # The URI resolved against the base names the page.
        resolved = urllib.parse.unquote(urllib.parse.urljoin(base, uri))
        if resolved != "file://" + os.path.join(os.path.abspath(web), path):
            failures.append("%s: %s resolves to %s" % (name, uri, resolved))
        snippet = region["snippet"]["text"]
        found = tag_at(web, path, region["startLine"], region["startColumn"])
        if not snippet.lower().startswith("<area") or not found.startswith(snippet.replace("\r\n", "\n").split("\n")[0]):
            failures.append("%s: %s:%d:%d shows %r, the page has %r there" % (
                name, path, region["startLine"], region["startColumn"], snippet, found[:80]))
        suggestion = result.get("properties", {})
        ours.append((path, region["startLine"], region["startColumn"], result["ruleId"],
                     suggestion.get("suggested_alt"), suggestion.get("suggested_from")))
    theirs = [(f["path"], f["line"], f["column"], f["rule"], f["suggested_alt"], f["suggested_from"])
              for f in json.loads(json_out)]
    if ours != theirs:
        failures.append("%s: SARIF results %s, --json %s" % (name, ours, theirs))

    # Each problem told on stderr is a notification, at its page if it names one.
    (invocation,) = run_["invocations"]
    notifications = invocation["toolExecutionNotifications"]
    notified = [n["message"]["text"] for n in notifications]
    told = [line[len("mapnote-audit: "):] for line in err.splitlines() if line.startswith("mapnote-audit: ")]
    if notified != told or invocation["executionSuccessful"] != (not told):
        failures.append("%s: notifications %s for %s" % (name, notified, told))
    for n in notifications:
        for location in n.get("locations", []):
            page = urllib.parse.unquote(location["physicalLocation"]["artifactLocation"]["uri"])
            if "/" + page + '"' not in n["message"]["text"]:
                failures.append("%s: notification at %s: %s" % (name, page, n["message"]["text"]))
    return failures, len(run_["results"]), len(notifications)


def main(audit, schema_path, sample, test_pages, scratch):
    with open(schema_path) as f:
        schema = json.load(f)
    validator = jsonschema.Draft4Validator(schema, format_checker=jsonschema.Draft4Validator.FORMAT_CHECKER)
    webs = make_webs(sample, test_pages, scratch)
    failures = []
    counts = {}
    for name, web in webs.items():
        failed, results, notifications = check_web(audit, validator, name, web)
        failures += failed
        counts[name] = (results, notifications)
    for name, (results, notifications) in counts.items():
        print("%s: %d results, %d notifications" % (name, results, notifications))
    # The webs hold what they were made to: non-ASCII and spaced names, an unreadable page.
    if counts["names"] != (9, 1) or counts["sample"] != (7, 0) or counts["unreadable"] != (0, 2) \
            or counts["clean"] != (0, 0) or counts["empty"] != (0, 1):
        failures.append("unexpected counts %s" % counts)
    for failure in failures:
        print("FAIL " + failure)
    print("%d webs checked, %d failures" % (len(webs), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
