#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The tools at their edges, run as a user runs them: git's arguments
taken literally by the diff driver, machine output alone on standard
output, names as SARIF and GitHub can carry them, invisible characters
escaped in messages. (A file changed while a tool rewrites it: the
InPlace tests of tool_safety_test.cpp.)
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


FIXABLE = "[camera parameter]\ncfg_mode = 1\n"  # a key's letter case


def machine_output(work):
    """--fix and --diff with --json, SARIF or GitHub: standard output is
    the one document (or annotations) alone; what the fixes did goes to
    standard error."""
    cases = [
        (["--fix", "--format=json"], "json"),
        (["--diff", "--format=json"], "json"),
        (["--fix", "--format=sarif"], "json"),
        (["--diff", "--format=sarif"], "json"),
        (["--diff", "--format=github"], "github"),
    ]
    for args, kind in cases:
        write(work, "fix.cfg", FIXABLE)
        r = run("quelmix-config-check", args + ["fix.cfg"], work)
        out = r.stdout.decode()
        if kind == "json":
            try:
                json.loads(out)
                alone = True
            except ValueError:
                alone = False
        else:
            alone = all(line.startswith("::")
                        for line in out.splitlines())
        check(alone, "check %s: standard output %r" % (args, out))
        check(r.stderr != b"", "check %s: no fix report on standard error"
              % args)


def names_in_reports(work):
    """SARIF names a file by a percent-encoded URI reference; GitHub's
    file= carries line breaks escaped and shows other control bytes."""
    cases = [
        # (file name, SARIF uri, GitHub file= value)
        ("h #1?.cfg", "h%20%231%3F.cfg", "h #1?.cfg"),
        ("100%.cfg", "100%25.cfg", "100%25.cfg"),
        ("a\nb.cfg", "a%0Ab.cfg", "a%0Ab.cfg"),
        ("c:d,\u00e9.cfg", "c%3Ad%2C%C3%A9.cfg", "c%3Ad%2C\u00e9.cfg"),
        ("e\x1b.cfg", "e%1B.cfg", "e<1B>.cfg"),
    ]
    for name, uri, github in cases:
        write(work, name, "[camera parameter]\nCFG_MODE = x\n")
        r = run("quelmix-config-check", ["--format=sarif", name], work)
        try:
            doc = json.loads(r.stdout.decode())
            uris = [loc["physicalLocation"]["artifactLocation"]["uri"]
                    for res in doc["runs"][0]["results"]
                    for loc in res["locations"]]
        except (ValueError, KeyError, IndexError):
            uris = []
        check(uris and all(u == uri for u in uris),
              "SARIF uri of %r: %r" % (name, uris))
        r = run("quelmix-config-check", ["--format=github", name], work)
        out = r.stdout.decode()
        check(" file=%s," % github in out,
              "GitHub file= of %r: %r" % (name, out))
        os.remove(os.path.join(work, name))


def invisible_characters(work):
    """Characters a terminal does not show, or that turn text around, are
    escaped in messages as control bytes are."""
    cases = [
        ("\ufeffI2C_MODE = 1", "<EF><BB><BF>I2C_MODE"),
        ("TYPE = a\u202eb\nCFG_MODE = x", None),
        ("K\u200bEY = 1", "K<E2><80><8B>EY"),
        ("\u2066BAD\u2069 = 1", "<E2><81><A6>BAD<E2><81><A9>"),
    ]
    for line, shown in cases:
        write(work, "inv.cfg", "[camera parameter]\n" + line + "\n")
        r = run("quelmix-config-check", ["--color=never", "inv.cfg"], work)
        text = (r.stdout + r.stderr).decode("utf-8", "replace")
        hidden = [c for c in "\ufeff\u202e\u200b\u2066\u2069" if c in text]
        check(not hidden and (shown is None or shown in text),
              "check of %r: %r" % (line, text))


def main():
    with tempfile.TemporaryDirectory() as work:
        git_arguments(work)
        machine_output(work)
        names_in_reports(work)
        invisible_characters(work)
    check.finish()


main()
