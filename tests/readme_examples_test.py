#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The documentation's examples, run. In README.md and every page of docs/,
each fenced block follows a marker line that says how it is held true:

  <!-- test: COMMAND -->     a ```console block: its "$ " line shows
                             COMMAND and the rest is exactly what COMMAND
                             prints (standard error and output together)
  <!-- file: NAME -->        the block is a file NAME that the page's
                             commands use ("FILE:NAME" in a COMMAND); each
                             such file is used by one
  <!-- checked-by: PATH -->  the test PATH runs this very block (PATH, or
                             tests/CMakeLists.txt, names the page)
  <!-- untested: REASON -->  not run, and the page says why

A block with no marker, or an indented code block, is an error, so a new
example cannot go untested by accident; and README.md keeps to README_LINES lines (the rest belongs in
docs/). In a COMMAND, "COPY_OF:PATH" stands for a copy of PATH and
"FILE:NAME" for the page's file NAME, both in a scratch directory the
command then runs in (a copy by its base name; NAME may hold folders,
"vendor/b.cfg"); "WITH:NAME" puts the page's file NAME there too, without
naming it on the command line (a project file the tool finds itself).
Otherwise the command runs in the source tree.
Usage: readme_examples_test.py SOURCE_DIR PATH_DIRS PAGE...
(PATH_DIRS: the build's program folders, joined with ":")"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

README_LINES = 250
MARKER = re.compile(r'^<!-- (test|file|checked-by|untested): ?(.*?) ?-->$')
FENCE = re.compile(r'^```')


def blocks(lines):
    """Each fenced block as (opening line index, closing line index)."""
    i = 0
    while i < len(lines):
        if FENCE.match(lines[i]):
            end = i + 1
            while end < len(lines) and lines[end] != '```':
                end += 1
            yield i, end
            i = end
        i += 1


def indented_blocks(lines):
    """The first line of each indented code block: four blanks after a
    blank line, outside a list and outside a fence."""
    fenced, in_list = False, False
    for i, line in enumerate(lines):
        if FENCE.match(line):
            fenced = not fenced
        if fenced or not line.strip():
            continue
        if re.match(r'^\s*([-*+]|\d+\.) ', line):
            in_list = True
        elif not line.startswith(' '):
            in_list = False
        elif line.startswith('    ') and i > 0 and not lines[i - 1].strip() \
                and not in_list:
            yield i


def examples(page):
    """The page's blocks with their markers, and the problems found."""
    lines = open(page, encoding='utf-8').read().split('\n')
    found, problems = [], []
    for i in indented_blocks(lines):
        problems.append('line %d: an indented code block; fence it and mark '
                        'it' % (i + 1))
    for start, end in blocks(lines):
        marker = MARKER.match(lines[start - 1]) if start > 0 else None
        if marker is None:
            problems.append('line %d: a block without a marker' % (start + 1))
            continue
        kind, argument = marker.groups()
        if not argument:
            problems.append('line %d: "%s" needs an argument' % (start, kind))
            continue
        found.append((start, kind, argument, lines[start],
                      lines[start + 1:end]))
    return found, problems


def run(command, source, path_dirs, files):
    env = dict(os.environ, NO_COLOR='1', LC_ALL='C.UTF-8',
               PATH=path_dirs + os.pathsep + os.environ['PATH'])
    with tempfile.TemporaryDirectory() as scratch:
        cwd = source
        words = []
        for word in shlex.split(command):
            if word.startswith('COPY_OF:'):
                origin = os.path.join(source, word[len('COPY_OF:'):])
                word = os.path.basename(origin)
                shutil.copy(origin, os.path.join(scratch, word))
                cwd = scratch
            elif word.startswith(('FILE:', 'WITH:')):
                named, word = word.startswith('FILE:'), word[len('FILE:'):]
                path = os.path.join(scratch, word)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, 'w', encoding='utf-8') as out:
                    out.write(files[word])
                cwd = scratch
                if not named:
                    continue
            words.append(word)
        try:
            done = subprocess.run(words, cwd=cwd, env=env,
                                  stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT)
        except FileNotFoundError:
            return ' '.join(words), '%s: no such program\n' % words[0]
        return ' '.join(words), done.stdout.decode('utf-8')


def names_page(test_path, page, source):
    relative = os.path.relpath(page, source)
    for path in (test_path, os.path.join(source, 'tests', 'CMakeLists.txt')):
        with open(path, encoding='utf-8', errors='replace') as text:
            if relative in text.read():
                return True
    return False


def check_page(page, source, path_dirs):
    """The failures of one page, and how many examples it ran."""
    found, failures = examples(page)
    length = open(page, encoding='utf-8').read().count('\n')
    if os.path.basename(page) == 'README.md' and length > README_LINES:
        failures.append('%d lines, more than %d' % (length, README_LINES))
    files = {arg: '\n'.join(body) + '\n'
             for _, kind, arg, _, body in found if kind == 'file'}
    used = set()
    ran = 0
    for start, kind, argument, opening, body in found:
        where = 'line %d' % (start + 1)
        if kind == 'test':
            if opening != '```console' or not body or \
                    not body[0].startswith('$ '):
                failures.append(where + ': a test marker without a console '
                                'block starting with "$ "')
                continue
            wanted = {w[len('FILE:'):] for w in shlex.split(argument)
                      if w.startswith(('FILE:', 'WITH:'))}
            used.update(wanted)
            missing = sorted(w for w in wanted if w not in files)
            if missing:
                failures.append(where + ': no file block %s' % missing)
                continue
            shown, got = run(argument, source, path_dirs, files)
            ran += 1
            expected = '\n'.join(body[1:]) + '\n' if len(body) > 1 else ''
            if body[0] != '$ ' + shown:
                failures.append('%s: the block shows "%s", the test runs '
                                '"%s"' % (where, body[0], shown))
            if got != expected:
                failures.append('%s: %s\n--- the page\n%s--- printed\n%s'
                                % (where, argument, expected, got))
        elif kind == 'checked-by':
            test_path = os.path.join(source, argument)
            if not os.path.isfile(test_path):
                failures.append(where + ': no test ' + argument)
            elif not names_page(test_path, page, source):
                failures.append('%s: neither %s nor tests/CMakeLists.txt '
                                'names this page' % (where, argument))
        elif opening.startswith('```console'):
            failures.append(where + ': a console block that is not run')
    for name in files:
        if name not in used:
            failures.append('file block %s: no command uses it' % name)
    return failures, ran


def main():
    source, path_dirs = os.path.abspath(sys.argv[1]), sys.argv[2]
    path_dirs = os.pathsep.join(os.path.abspath(d)
                                for d in path_dirs.split(':'))
    total_failures, total_ran = 0, 0
    for page in sys.argv[3:]:
        failures, ran = check_page(os.path.abspath(page), source, path_dirs)
        total_ran += ran
        total_failures += len(failures)
        for failure in failures:
            print('%s %s' % (os.path.relpath(page, source), failure))
    if total_ran == 0:
        sys.exit('no examples found')
    print('%d examples run in %d pages, %d problems'
          % (total_ran, len(sys.argv) - 3, total_failures))
    sys.exit(1 if total_failures else 0)


main()
