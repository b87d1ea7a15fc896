# SPDX-License-Identifier: MIT
"""The tools through the package: `python3 -m quelmix_config` prints the
checker's record, and check(), format_text() and diff() answer with
dataclasses, or name the package to install when a tool is missing."""
import dataclasses
import json
import os
import subprocess
import sys

import pytest

import quelmix_config as q
from conftest import SOURCE

SAMPLE = os.path.join(SOURCE, "examples", "sample.cfg")
OLD = os.path.join(SOURCE, "examples", "diff", "old.cfg")
NEW = os.path.join(SOURCE, "examples", "diff", "new.cfg")
RECORD_MEMBERS = ("file", "camera", "commands", "controls")


def checker_json(path):
    tool = os.path.join(os.environ["QUELMIX_CONFIG_TOOLS"],
                        "quelmix-config-check")
    done = subprocess.run([tool, "--json", path], capture_output=True)
    return done.returncode, json.loads(done.stdout) if done.stdout else None


def module_json(*paths):
    done = subprocess.run([sys.executable, "-m", "quelmix_config", *paths],
                          capture_output=True)
    return done.returncode, json.loads(done.stdout) if done.stdout else None


def test_the_module_prints_the_checkers_record(all_files, tmp_path):
    odd = tmp_path / "odd.cfg"
    odd.write_bytes(b"[camera parameter]\nTYPE = caf\xe9 \x7f\xc3\xa9\n"
                    b"[control parameter]\nCTRL_NAME = \"q\"\\\t\n"
                    b"======CODE_BLOCK_START======\n\xff\n")
    for path in all_files + [str(odd)]:
        status, checker = checker_json(path)
        mine_status, mine = module_json(path)
        assert mine_status == status, path
        if checker is None:
            assert mine is None
            continue
        for member in RECORD_MEMBERS:
            assert mine[member] == checker[member], (path, member)
        assert set(mine) <= set(checker)
        assert mine["result"] == {k: checker["result"][k]
                                  for k in mine["result"]}, path


def test_the_module_prints_an_array_for_several_files():
    status, documents = module_json(SAMPLE, OLD)
    assert status == 0
    assert [d["file"] for d in documents] == [SAMPLE, OLD]


def test_the_module_exit_status(tmp_path):
    bad = tmp_path / "bad.cfg"
    bad.write_bytes(b"[camera parameter\n")
    assert module_json(str(bad))[0] == 1
    assert module_json(str(tmp_path / "absent.cfg")) == (2, None)


def test_check_gives_the_record_and_the_diagnostics():
    report = q.check(SAMPLE)
    assert report.config == q.load(SAMPLE)
    assert report.result.ok and report.errors == ()
    mistakes = os.path.join(SOURCE, "examples", "mistakes.cfg")
    report = q.check(mistakes)
    assert report.config == q.load(mistakes)
    assert report.result.ok == q.load(mistakes).result.ok
    assert report.diagnostics
    assert all(isinstance(d, q.Diagnostic) and d.line > 0 and d.column > 0
               for d in report.diagnostics)
    assert report.warnings, "mistakes.cfg shows warnings too"
    assert q.check(mistakes, warnings=False).warnings == ()


def test_check_of_a_file_that_cannot_be_read_raises(tmp_path):
    with pytest.raises(q.ToolError):
        q.check(tmp_path / "absent.cfg")


def test_formatting_keeps_the_record():
    messy = b"[camera parameter]\n  SIZE=640 ,480\nTYPE   =  x\n"
    formatted = q.format_text(messy)
    assert formatted.changed
    assert q.loads(formatted.text) == q.loads(messy)
    assert q.format_text(formatted.text) == q.Formatted(formatted.text, False)


def test_diff_of_a_file_with_itself_is_empty():
    d = q.diff(SAMPLE, SAMPLE)
    assert d.same and d.camera == () and d.commands == () and d.controls == ()


def test_diff_names_the_fields_that_differ():
    d = q.diff(OLD, NEW)
    assert not d.same
    old, new = q.load(OLD).camera, q.load(NEW).camera
    differing = {f.name for f in dataclasses.fields(old)
                 if getattr(old, f.name) != getattr(new, f.name)}
    assert {change.field for change in d.camera} == differing
    old_commands = q.load(OLD).commands
    new_commands = q.load(NEW).commands
    assert bool(d.commands) == (old_commands != new_commands)
    for section in d.commands:
        assert all(c.op in ("insert", "remove", "change")
                   for c in section.changes)


@pytest.mark.parametrize("call", [
    lambda: q.check(SAMPLE),
    lambda: q.format_text("[camera parameter]\n"),
    lambda: q.diff(SAMPLE, SAMPLE),
])
def test_a_missing_tool_names_the_package(tmp_path, monkeypatch, call):
    monkeypatch.setenv("QUELMIX_CONFIG_TOOLS", str(tmp_path))
    with pytest.raises(q.ToolNotFoundError) as caught:
        call()
    assert "quelmix-config-tools" in str(caught.value)
