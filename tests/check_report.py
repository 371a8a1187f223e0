"""How the Python checks say what they found, all alike: one line per check,
"ok   NAME" or "FAIL NAME" with its first problems under it, and at the end
"N passed, M failed", whose failures give the exit status.

A script imports it from tests/ (checks in tests/native, tests/static and
tests/win put that folder on sys.path), or from its own folder when it is
copied somewhere to run alone, as into the i686 guest."""

SHOWN = 20  # problems printed per check; the count of the rest follows

_counts = {"passed": 0, "failed": 0}


def report(name, problems):
    """One check: it held when `problems` (a list of strings) is empty."""
    if not problems:
        _counts["passed"] += 1
        print("ok   %s" % name)
        return
    _counts["failed"] += 1
    print("FAIL %s" % name)
    for p in problems[:SHOWN]:
        print("    %s" % p)
    if len(problems) > SHOWN:
        print("    ... and %d more" % (len(problems) - SHOWN))


def failures():
    return _counts["failed"]


def summary():
    """Prints the totals; returns the exit status, 1 when any check failed."""
    print("%d passed, %d failed" % (_counts["passed"], _counts["failed"]))
    return 1 if _counts["failed"] else 0
