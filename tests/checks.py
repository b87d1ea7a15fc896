# SPDX-License-Identifier: MIT
"""What the Python tests share: checks that print what failed and count,
and the exit status they add up to."""
import sys


class Checks:
    """check(ok, what) records one check; finish() prints the count and
    exits 1 if any failed."""

    def __init__(self):
        self.passed = 0
        self.failed = 0

    def __call__(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAILED:", what)

    def finish(self):
        print("%d passed, %d failed" % (self.passed, self.failed))
        sys.exit(1 if self.failed else 0)
