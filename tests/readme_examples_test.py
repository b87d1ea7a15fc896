#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""README's example sessions, run: each ```console block after a
"<!-- test: COMMAND -->" line must be exactly what COMMAND prints (standard
error and output together). "COPY_OF:PATH" in COMMAND stands for a copy of
PATH, by its base name, in a scratch directory the command runs in.
Usage: readme_examples_test.py README TOOLS_DIR"""
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

MARKER = re.compile(r'^<!-- test: (.*) -->$')


def examples(readme):
    lines = open(readme, encoding='utf-8').read().split('\n')
    for i, line in enumerate(lines):
        found = MARKER.match(line)
        if not found:
            continue
        if lines[i + 1] != '```console' or not lines[i + 2].startswith('$ '):
            sys.exit('README line %d: a test marker without a console block'
                     % (i + 1))
        end = lines.index('```', i + 3)
        yield i + 1, found.group(1), '\n'.join(lines[i + 3:end]) + '\n'


def run(command, root, tools):
    env = dict(os.environ, PATH=tools + os.pathsep + os.environ['PATH'],
               NO_COLOR='1', LC_ALL='C.UTF-8')
    with tempfile.TemporaryDirectory() as scratch:
        cwd = root
        words = []
        for word in shlex.split(command):
            if word.startswith('COPY_OF:'):
                source = os.path.join(root, word[len('COPY_OF:'):])
                word = os.path.basename(source)
                shutil.copy(source, os.path.join(scratch, word))
                cwd = scratch
            words.append(word)
        done = subprocess.run(words, cwd=cwd, env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        return done.stdout.decode('utf-8')


def main():
    readme, tools = sys.argv[1], os.path.abspath(sys.argv[2])
    root = os.path.dirname(os.path.abspath(readme))
    failures = 0
    count = 0
    for line, command, expected in examples(readme):
        count += 1
        got = run(command, root, tools)
        if got != expected:
            failures += 1
            print('README line %d: %s\n--- README\n%s--- printed\n%s'
                  % (line, command, expected, got))
    if count == 0:
        sys.exit('no examples found in ' + readme)
    print('%d README examples, %d differ' % (count, failures))
    sys.exit(1 if failures else 0)


main()
