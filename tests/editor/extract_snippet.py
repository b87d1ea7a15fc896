#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Prints the fenced code block of a documentation page whose first line is
the given comment, so that the editor tests run the page's very text.

Usage: extract_snippet.py PAGE FIRST-LINE
"""
import sys

page, first = sys.argv[1], sys.argv[2]
lines = open(page, encoding="utf-8").read().split("\n")
for i, line in enumerate(lines):
    if line == first and lines[i - 1].startswith("```"):
        end = lines.index("```", i)
        print("\n".join(lines[i:end]))
        sys.exit(0)
sys.exit("no block starting with %r in %s" % (first, page))
