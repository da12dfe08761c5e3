"""The end of a comparison with a browser: the known differences no longer
seen, each failure, one summary line, and the exit status."""


def verdict(failures, known, seen, gone_note, summary):
    for gone in sorted(set(known) - seen):
        print(gone_note(gone))
    for failure in failures:
        print("FAIL " + failure)
    print(summary)
    return 1 if failures else 0
