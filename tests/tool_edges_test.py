#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The tools at their edges, run as a user runs them: git's arguments
taken literally by the diff driver, machine output alone on standard
output, names as SARIF and GitHub can carry them, invisible characters
escaped in messages, and a file changed while a tool rewrites it.
Usage: tool_edges_test.py TOOLS_DIR"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402

TOOLS = sys.argv[1]
check = Checks()


def run(tool, args, cwd, stdin=b"", env=None):
    return subprocess.run([os.path.join(TOOLS, tool)] + args, cwd=cwd,
                          input=stdin, capture_output=True, env=env)


def write(folder, name, text):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(text.encode() if isinstance(text, str) else text)


OLD = "[register parameter]\nREG = 0x0200, 0x0004\n"
NEW = "[register parameter]\nREG = 0x0200, 0x0005\n"


def git_arguments(work):
    """With --git, git's seven arguments are file names and hashes as they
    stand: '-x.cfg' and '-' are files, never options or standard input."""
    write(work, "-x.cfg", OLD)
    write(work, "-", NEW)
    write(work, "old.cfg", OLD)
    cases = [
        # (arguments, exit status, text expected on standard output)
        (["--git", "-x.cfg", "-x.cfg", "1" * 40, "100644", "-", "2" * 40,
          "100644"], 0, "REG 0x0200: 0x0004 \u2192 0x0005"),
        (["--git", "-", "-", "1" * 40, "100644", "-x.cfg", "2" * 40,
          "100644"], 0, "REG 0x0200: 0x0005 \u2192 0x0004"),
        (["--git", "--stat", "old.cfg", "1" * 40, "100644", "-", "2" * 40,
          "100644"], 0, "--- a/--stat"),  # a path that looks like an option
        (["--git", "p", "old.cfg", "0", "0", "old.cfg", "0", "0", "x"], 2,
         ""),  # eight arguments: a usage error
        (["--json", "--git", "-x.cfg", "-x.cfg", "1" * 40, "100644", "-",
          "2" * 40, "100644"], 0, '"file": "b/-x.cfg"'),
        (["old.cfg", "--git", "p", "old.cfg", "0", "0", "old.cfg", "0",
          "0"], 2, ""),  # a file before --git
        (["--git", "p", "old.cfg", "0", "0", "/dev/null", "0", "0"], 0,
         "- REG 0x0200, 0x0004"),
    ]
    for args, status, shown in cases:
        r = run("quelmix-config-diff", args, work, stdin=OLD.encode())
        out = r.stdout.decode()
        check(r.returncode == status and shown in out,
              "diff %s: status %d, output %r" % (args, r.returncode, out))


def main():
    with tempfile.TemporaryDirectory() as work:
        git_arguments(work)
    check.finish()


main()
