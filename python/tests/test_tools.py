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


RULED = b"[register parameter]\nREG = 0x3008, 0x82, 1\n"
RULE = b"[commands]\nREG = 2\n"


@pytest.mark.parametrize("keywords, rule_reported", [
    ({}, True),
    ({"isolated": True}, False),
    ({"config": "elsewhere.toml"}, False),
])
def test_check_takes_the_project_file_as_the_checker_does(
        tmp_path, keywords, rule_reported):
    (tmp_path / "quelmix.toml").write_bytes(RULE)
    (tmp_path / "elsewhere.toml").write_bytes(b"[commands]\nREG = 3\n")
    (tmp_path / "a.cfg").write_bytes(RULED)
    if "config" in keywords:
        keywords = {"config": tmp_path / keywords["config"]}
    report = q.check(tmp_path / "a.cfg", **keywords)
    kinds = [(d.kind, d.line) for d in report.warnings]
    assert kinds == ([("command-rule", 2)] if rule_reported else [])


def test_check_of_a_bad_project_file_raises_with_its_place(tmp_path):
    (tmp_path / "quelmix.toml").write_bytes(
        b"[warnings]\nno-such-kind = \"off\"\n")
    (tmp_path / "a.cfg").write_bytes(RULED)
    with pytest.raises(q.ToolError) as caught:
        q.check(tmp_path / "a.cfg")
    assert "quelmix.toml:2:1" in str(caught.value)
    assert q.check(tmp_path / "a.cfg", isolated=True).result.ok


def test_check_all_walks_folders_as_the_checker_does(tmp_path):
    (tmp_path / "quelmix.toml").write_bytes(b'exclude = ["old"]\n')
    for name in ("b.cfg", "sub/a.cfg", "old/c.cfg", ".hidden/d.cfg", "e.txt"):
        (tmp_path / name).parent.mkdir(parents=True, exist_ok=True)
        (tmp_path / name).write_bytes(RULED)
    (tmp_path / "sub" / "bad.cfg").write_bytes(b"[camera parameter\n")
    reports = q.check_all(tmp_path, SAMPLE)
    names = [os.path.relpath(r.file, tmp_path) for r in reports[:-1]]
    assert names == ["b.cfg", "sub/a.cfg", "sub/bad.cfg"]
    assert [r.result.ok for r in reports] == [True, True, False, True]
    assert reports[2].result.line == 1
    assert reports[-1].config == q.load(SAMPLE)
    assert q.check_all(tmp_path / "sub" / "a.cfg")[0].config == \
        q.load(tmp_path / "sub" / "a.cfg")
    assert q.check_all(tmp_path / "old") == ()


def test_check_of_a_folder_points_to_check_all(tmp_path):
    with pytest.raises(IsADirectoryError) as caught:
        q.check(tmp_path)
    assert "check_all" in str(caught.value)
    with pytest.raises(ValueError):
        q.check_all()


def test_diff_shows_values_as_each_file_spells_them(tmp_path):
    old, new = tmp_path / "old.cfg", tmp_path / "new.cfg"
    old.write_bytes(b"[register parameter]\nREG = 0x0200, 0x0004\n"
                    b"[control parameter]\nCTRL_NAME = a\nMAX_VALUE = 0x10\n")
    new.write_bytes(b"[register parameter]\nREG = 0x0200, 5\n\n"
                    b"[control parameter]\nCTRL_NAME = a\n\nMAX_VALUE = 16\n"
                    b"STEP = 1\n")
    d = q.diff(old, new)
    (section,) = d.commands
    (change,) = section.changes
    assert change.op == "change"
    assert (change.old.spelled, change.new.spelled) == (("0x0200", "0x0004"),
                                                         ("0x0200", "5"))
    assert (change.old.values, change.new.values) == ((512, 4), (512, 5))
    (control,) = d.controls
    assert (control.old_line, control.new_line) == (3, 4)
    (step,) = [f for f in control.fields if f.key == "STEP"]
    assert (step.old_spelled, step.new_spelled) == ("0", "1")
    assert (step.old_line, step.new_line) == (0, 8)


@pytest.mark.parametrize("project, options, failing", [
    (None, {}, []),
    (b'[warnings]\nleading-zero = "error"\n', {}, ["leading-zero"]),
    (b'[warnings]\nleading-zero = "error"\n', {"isolated": True}, []),
    (b'[warnings]\nall = "error"\n', {}, ["unknown-key", "leading-zero"]),
])
def test_check_says_which_warnings_fail_it(tmp_path, project, options,
                                           failing):
    if project is not None:
        (tmp_path / "quelmix.toml").write_bytes(project)
    path = tmp_path / "a.cfg"
    path.write_bytes(b"[camera parameter]\nI2CADDR = 1\nI2C_ADDR = 010\n")
    report = q.check(path, **options)
    assert [d.kind for d in report.warnings] == ["unknown-key",
                                                 "leading-zero"]
    assert [d.kind for d in report.diagnostics if d.fails] == failing
    assert report.result.ok and report.errors == ()
    assert report.failed == bool(failing)
    tool = os.path.join(os.environ["QUELMIX_CONFIG_TOOLS"],
                        "quelmix-config-check")
    arguments = ["--isolated"] if options.get("isolated") else []
    status = subprocess.run([tool, "-q", *arguments, str(path)],
                            capture_output=True).returncode
    assert status == (1 if failing else 0)


def test_a_file_named_dash_is_a_file(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "-").write_bytes(b"[camera parameter]\nTYPE = dash\n")
    (tmp_path / "-x").write_bytes(b"[camera parameter]\nTYPE = x\n")
    assert q.check("-").config.camera.type == "dash"
    assert q.check("-x").config.camera.type == "x"
    (report,) = q.check_all("-")
    assert report.config.camera.type == "dash"
    d = q.diff("-", "-x")
    assert [(f.old, f.new) for f in d.camera] == [("dash", "x")]
