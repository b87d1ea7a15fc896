# SPDX-License-Identifier: MIT
"""check(), format_text() and diff(): the installed tools, run through
their machine interfaces (the checker's and the record diff's --json, the
formatter's standard input and output), answered as dataclasses."""
from __future__ import annotations

import errno
import json
import os
import shutil
import subprocess
from dataclasses import dataclass
from typing import Any, Dict, List, Optional, Sequence, Tuple, Union

from ._library import PathArg
from ._record import Camera, Command, Config, Control, Result

#: The Debian package that installs the tools.
TOOLS_PACKAGE = "quelmix-config-tools"
#: The environment variable that names a folder holding the tools (a build
#: tree's tools/ folder, say); without it they are looked for on PATH.
TOOLS_VARIABLE = "QUELMIX_CONFIG_TOOLS"


class ToolNotFoundError(FileNotFoundError):
    """A tool this function runs is not installed."""


class ToolError(RuntimeError):
    """A tool could not do what was asked (a file it cannot read, say); the
    message is the tool's own."""


def _tool(name: str) -> str:
    folder = os.environ.get(TOOLS_VARIABLE)
    found = (shutil.which(name, path=folder) if folder
             else shutil.which(name))
    if found is None:
        raise ToolNotFoundError(
            "%s is not installed: install the Debian package %s%s"
            % (name, TOOLS_PACKAGE,
               " (%s names %s)" % (TOOLS_VARIABLE, folder) if folder else ""))
    return found


def _run(name: str, arguments: Sequence[Union[str, bytes]],
         accepted: Tuple[int, ...], data: Optional[bytes] = None) -> bytes:
    done = subprocess.run([_tool(name), *arguments], input=data,
                          capture_output=True, check=False)
    if done.returncode not in accepted:
        message = done.stderr.decode("utf-8", "replace").strip()
        raise ToolError("%s failed (exit status %d): %s"
                        % (name, done.returncode, message))
    return done.stdout


def _path_argument(path: PathArg) -> bytes:
    # "--" ends the options, so a file named "-x" stays a file; "-" would
    # still be standard input (this process's), so the file goes as "./-".
    name = os.fsencode(path)
    return b"./-" if name == b"-" else name


# --- the checker -----------------------------------------------------------


@dataclass(frozen=True)
class Diagnostic:
    """One mistake or warning the checker reported."""

    severity: str
    """``"error"`` or ``"warning"``."""
    line: int
    """The file's line, from 1."""
    column: int
    """The column, from 1."""
    kind: str
    """The diagnostic's kind, as -Wno-KIND and the manual name it."""
    message: str
    """What is wrong."""
    hint: Optional[str]
    """How to put it right, where the checker has one."""
    fails: bool = False
    """True for a warning that fails the check (made an error by -Werror,
    -Werror=KIND or the project file); errors always fail it."""


@dataclass(frozen=True)
class CheckResult:
    """The library's result as the checker explains it."""

    ok: bool
    """True when every line was taken in."""
    line: Optional[int]
    """The bad line as the library numbers it; None when ok."""
    file_line: Optional[int]
    """The same line as the file numbers it; None when ok."""
    reason: Optional[str]
    """Why that line is the result; None when ok."""


@dataclass(frozen=True)
class CheckReport:
    """What the checker made of one file: its result, the record it loaded
    and its diagnostics. Text fields come as the checker's JSON gives them:
    bytes that are not UTF-8 appear as the characters U+0080 to U+00FF."""

    file: str
    """The file's name as the checker shows it."""
    result: CheckResult
    """The library's result."""
    config: Config
    """The record the library loaded from the file."""
    diagnostics: Tuple[Diagnostic, ...]
    """Every error and warning, in the file's order."""

    @property
    def warnings(self) -> Tuple[Diagnostic, ...]:
        """The diagnostics that are warnings."""
        return tuple(d for d in self.diagnostics if d.severity == "warning")

    @property
    def errors(self) -> Tuple[Diagnostic, ...]:
        """The diagnostics that are errors."""
        return tuple(d for d in self.diagnostics if d.severity == "error")

    @property
    def failed(self) -> bool:
        """True when the checker fails the file (exit status 1): a bad line,
        or a warning the settings make an error."""
        return (not self.result.ok or bool(self.errors) or
                any(d.fails for d in self.diagnostics))


def _config_from_json(document: Dict[str, Any]) -> Config:
    camera = Camera(**{name: document["camera"][name] for name in (
        "cfg_mode", "type", "width", "height", "bit_width", "format",
        "i2c_mode", "i2c_addr", "trans_lvl")})
    commands = tuple(Command(c["section"], c["variant"], c["kind"], c["type"],
                             tuple(c["values"]))
                     for c in document["commands"])
    controls = tuple(Control(k["min_value"], k["max_value"], k["step"],
                             k["def"], k["ctrl_name"], k["func_name"],
                             k["code"], None if k["code"] is None
                             else k["code"].encode("utf-8", "surrogatepass"))
                     for k in document["controls"])
    result = document["result"]
    return Config(Result(result["ok"], result.get("line")), camera, commands,
                  controls)


def _report_from_json(document: Dict[str, Any]) -> CheckReport:
    result = document["result"]
    return CheckReport(
        document["file"],
        CheckResult(result["ok"], result.get("line"), result.get("file_line"),
                    result.get("reason")),
        _config_from_json(document),
        tuple(Diagnostic(d["severity"], d["line"], d["column"], d["kind"],
                         d["message"], d.get("hint"), d.get("fails", False))
              for d in document["diagnostics"]))


def _checker_arguments(warnings: bool, config: Optional[PathArg],
                       isolated: bool) -> List[Union[str, bytes]]:
    arguments: List[Union[str, bytes]] = ["--json"]
    if not warnings:
        arguments.append("-w")
    if config is not None:
        arguments.append(b"--config=" + os.fsencode(config))
    if isolated:
        arguments.append("--isolated")
    return arguments


def _run_checker(paths: Sequence[PathArg], warnings: bool,
                 config: Optional[PathArg], isolated: bool) -> Any:
    out = _run("quelmix-config-check",
               [*_checker_arguments(warnings, config, isolated), "--",
                *(_path_argument(path) for path in paths)], (0, 1))
    return json.loads(out)


def check(path: PathArg, *, warnings: bool = True,
          config: Optional[PathArg] = None,
          isolated: bool = False) -> CheckReport:
    """Runs ``quelmix-config-check --json`` on the file at `path`.

    `warnings` False asks for errors only (the checker's -w). The checker
    takes its settings (warning kinds, command rules) from the nearest
    ``quelmix.toml`` above the file, as on the command line; `config` names
    a project file to take instead (``--config``) and `isolated` True reads
    none (``--isolated``). Raises IsADirectoryError for a folder (check_all()
    walks one), ToolNotFoundError when the checker is not installed and
    ToolError when it cannot open or read the file or the project file."""
    if os.path.isdir(path):
        raise IsADirectoryError(
            errno.EISDIR, "a folder: check_all() checks the files in it",
            os.fsdecode(path))
    document = _run_checker([path], warnings, config, isolated)
    return _report_from_json(document)


def check_all(*paths: PathArg, warnings: bool = True,
              config: Optional[PathArg] = None,
              isolated: bool = False) -> Tuple[CheckReport, ...]:
    """Runs ``quelmix-config-check --json`` once on files and folders and
    gives one report for each file checked, in the checker's order.

    A folder is walked as the checker walks it: its ``*.cfg`` files (or
    what the project file includes), without hidden folders, what git
    ignores and what the project file excludes. The keywords are check()'s.
    Raises ValueError without a path, ToolNotFoundError when the checker is
    not installed and ToolError when a file, a folder or the project file
    cannot be read."""
    if not paths:
        raise ValueError("check_all() needs a file or a folder")
    document = _run_checker(paths, warnings, config, isolated)
    documents = document if isinstance(document, list) else [document]
    return tuple(_report_from_json(d) for d in documents)


# --- the formatter ---------------------------------------------------------


@dataclass(frozen=True)
class Formatted:
    """Text laid out the canonical way."""

    text: str
    """The formatted text (bytes that are not UTF-8 as surrogateescape)."""
    changed: bool
    """True when it differs from the text given."""


def format_text(text: Union[str, bytes]) -> Formatted:
    """Lays configuration text out the canonical way with
    ``quelmix-config-format``, which never changes what a host loads from
    it. Raises ToolNotFoundError when the formatter is not installed."""
    data = text.encode("utf-8", "surrogateescape") if isinstance(
        text, str) else bytes(text)
    out = _run("quelmix-config-format", ["-"], (0,), data)
    return Formatted(out.decode("utf-8", "surrogateescape"), out != data)


# --- the record diff -------------------------------------------------------


@dataclass(frozen=True)
class DiffFile:
    """One side of a comparison."""

    file: str
    """The file's name as the tool shows it."""
    result: int
    """The library's result for it: 0, or the first bad line."""


@dataclass(frozen=True)
class FieldChange:
    """A camera or control field whose value differs."""

    key: str
    """The key that sets it, e.g. ``"I2C_ADDR"``."""
    field: str
    """The record's field, e.g. ``"i2c_addr"``."""
    old: Any
    """The old value (a number, or text for a text field)."""
    new: Any
    """The new value."""
    old_line: int
    """The old file's line that set it (0: none)."""
    new_line: int
    """The new file's line that sets it (0: none)."""
    old_spelled: Optional[str] = None
    """The old value as the old file spells it (in decimal when no line set
    it; None from a record diff too old to say)."""
    new_spelled: Optional[str] = None
    """The new value as the new file spells it (as `old_spelled`)."""


@dataclass(frozen=True)
class CommandSide:
    """A command as one file has it."""

    values: Tuple[Any, ...]
    """Its values."""
    line: int
    """Its line in that file."""
    spelled: Tuple[str, ...] = ()
    """Its values as that file spells them (``"0x0200"`` for 512)."""


@dataclass(frozen=True)
class CommandChange:
    """A command added, removed or changed."""

    op: str
    """``"insert"``, ``"remove"`` or ``"change"``."""
    kind: str
    """``"REG"``, ``"VRCMD"`` or ``"DELAY"``."""
    old: Optional[CommandSide]
    """The command in the old file; None when inserted."""
    new: Optional[CommandSide]
    """The command in the new file; None when removed."""


@dataclass(frozen=True)
class SectionChanges:
    """The command changes of one section."""

    section: str
    """The section, e.g. ``"register parameter||dev3||inf2"``."""
    changes: Tuple[CommandChange, ...]
    """Its changes in order."""


@dataclass(frozen=True)
class ControlChange:
    """A control added, removed or changed (controls match by name)."""

    op: str
    """``"insert"``, ``"remove"`` or ``"change"``."""
    old_name: Optional[str]
    """Its CTRL_NAME in the old file; None when inserted."""
    new_name: Optional[str]
    """Its CTRL_NAME in the new file; None when removed."""
    fields: Tuple[FieldChange, ...]
    """The fields that differ."""
    code_diff: str
    """The code block's changes as a unified diff ("" for none)."""
    old_line: int = 0
    """The line of its header in the old file (0: inserted)."""
    new_line: int = 0
    """The line of its header in the new file (0: removed)."""


@dataclass(frozen=True)
class Diff:
    """What differs between the records two files load."""

    old: DiffFile
    """The old file."""
    new: DiffFile
    """The new file."""
    same: bool
    """True when the records and the results are the same."""
    camera: Tuple[FieldChange, ...]
    """Camera fields that differ."""
    commands: Tuple[SectionChanges, ...]
    """Command changes, section by section."""
    section_order: Optional[Tuple[Tuple[str, ...], Tuple[str, ...]]]
    """The old and the new order of the sections when it differs."""
    controls: Tuple[ControlChange, ...]
    """Controls that differ."""


def _field(f: Dict[str, Any]) -> FieldChange:
    return FieldChange(f["key"], f["field"], f["old"], f["new"],
                       f.get("old_line", 0), f.get("new_line", 0),
                       f.get("old_spelled"), f.get("new_spelled"))


def _side(side: Optional[Dict[str, Any]]) -> Optional[CommandSide]:
    if side is None:
        return None
    return CommandSide(tuple(side["values"]), side.get("line", 0),
                       tuple(side.get("spelled", ())))


def _diff_from_json(d: Dict[str, Any]) -> Diff:
    order = d.get("section_order")
    return Diff(
        DiffFile(d["old"]["file"], d["old"]["result"]),
        DiffFile(d["new"]["file"], d["new"]["result"]),
        d["same"],
        tuple(_field(f) for f in d["camera"]),
        tuple(SectionChanges(s["section"], tuple(
            CommandChange(c["op"], c["kind"], _side(c["old"]), _side(c["new"]))
            for c in s["changes"])) for s in d["commands"]),
        None if order is None else (tuple(order["old"]), tuple(order["new"])),
        tuple(ControlChange(c["op"], c["old_name"], c["new_name"],
                            tuple(_field(f) for f in c["fields"]),
                            c.get("code_diff", ""), c.get("old_line", 0),
                            c.get("new_line", 0))
              for c in d["controls"]))


def diff(old: PathArg, new: PathArg) -> Diff:
    """Compares the records two files load with ``quelmix-config-diff
    --json``. Raises ToolNotFoundError when the tool is not installed and
    ToolError when it cannot read a file."""
    out = _run("quelmix-config-diff",
               ["--json", "--", _path_argument(old), _path_argument(new)],
               (0, 1))
    return _diff_from_json(json.loads(out))


__all__: List[str] = [
    "CheckReport", "CheckResult", "CommandChange", "CommandSide",
    "ControlChange", "Diagnostic", "Diff", "DiffFile", "FieldChange",
    "Formatted", "SectionChanges", "ToolError", "ToolNotFoundError", "check",
    "check_all", "diff", "format_text",
]
