#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Links between the documentation's pages hold: every relative link of
README.md and docs/*.md (outside code) names a file that exists, and every
"#anchor" names a heading of the page it points into, spelt as GitHub
spells heading anchors. Links to other sites are not followed.
Usage: docs_links_test.py PAGE..."""
import os
import re
import sys
from collections import Counter

LINK = re.compile(r'!?\[((?:[^\[\]]|\[[^\]]*\])*)\]\(([^)\s]+)\)')
HEADING = re.compile(r'^#{1,6}\s+(.*?)\s*#*\s*$')


def prose(text):
    """The text with fenced blocks and code spans blanked out."""
    kept, fenced = [], False
    for line in text.split('\n'):
        if line.startswith('```'):
            fenced = not fenced
            kept.append('')
            continue
        kept.append('' if fenced else re.sub(r'`[^`]*`', '``', line))
    return '\n'.join(kept)


def slug(heading):
    """GitHub's anchor for a heading: lower case, punctuation dropped,
    blanks as hyphens."""
    text = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', heading)
    text = text.replace('`', '').strip().lower()
    text = ''.join(c for c in text if c.isalnum() or c in ' -_')
    return text.replace(' ', '-')


def anchors(path):
    seen, result = Counter(), set()
    fenced = False
    for line in open(path, encoding='utf-8').read().split('\n'):
        if line.startswith('```'):
            fenced = not fenced
        heading = None if fenced else HEADING.match(line)
        if heading:
            base = slug(heading.group(1))
            result.add(base if seen[base] == 0 else '%s-%d' % (base, seen[base]))
            seen[base] += 1
    return result


def problems(page):
    text = prose(open(page, encoding='utf-8').read())
    for found in LINK.finditer(text):
        target = found.group(2)
        if re.match(r'^[a-z]+:', target):
            continue
        line = text.count('\n', 0, found.start()) + 1
        path, _, anchor = target.partition('#')
        resolved = os.path.normpath(os.path.join(os.path.dirname(page), path)) \
            if path else page
        if not os.path.exists(resolved):
            yield 'line %d: %s: no such file' % (line, target)
        elif anchor and not resolved.endswith('.md'):
            yield 'line %d: %s: an anchor into a file that is not a page' \
                % (line, target)
        elif anchor and anchor not in anchors(resolved):
            yield 'line %d: %s: no heading with that anchor' % (line, target)


def main():
    failures = 0
    links = 0
    for page in sys.argv[1:]:
        links += len(LINK.findall(prose(open(page, encoding='utf-8').read())))
        for problem in problems(page):
            failures += 1
            print('%s %s' % (page, problem))
    if links == 0:
        sys.exit('no links found')
    print('%d links in %d pages, %d broken' % (links, len(sys.argv) - 1,
                                               failures))
    sys.exit(1 if failures else 0)


main()
