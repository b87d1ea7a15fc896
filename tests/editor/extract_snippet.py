#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Prints the fenced code block of README.md whose first line is the given
comment, so that the editor tests run README's very text.

Usage: extract_snippet.py README FIRST-LINE
"""
import sys

readme, first = sys.argv[1], sys.argv[2]
lines = open(readme, encoding="utf-8").read().split("\n")
for i, line in enumerate(lines):
    if line == first and lines[i - 1].startswith("```"):
        end = lines.index("```", i)
        print("\n".join(lines[i:end]))
        sys.exit(0)
sys.exit("no block starting with %r in %s" % (first, readme))
