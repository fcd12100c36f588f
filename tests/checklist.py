"""What the test scripts share: their checks told one line each, and the
exit status they make."""


def told(checks, note=""):
    """Prints each (good, label) check and a count; 0 when all are good,
    1 otherwise."""
    failed = 0
    for good, label in checks:
        print(f"{'ok  ' if good else 'FAIL'} {label}")
        failed += not good
    print(f"{len(checks) - failed} passed, {failed} failed{note}")
    return 1 if failed else 0
