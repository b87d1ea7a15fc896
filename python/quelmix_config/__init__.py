# SPDX-License-Identifier: MIT
"""quelmix_config: the camera host's own loader for Python scripts.

load(path) calls the installed shared library, libquelmix_config_parser.so.1,
exactly as a C host does and gives back the record as frozen dataclasses::

    import quelmix_config as q
    config = q.load("camera.cfg")
    if not config.result.ok:
        print("first bad line:", config.result.line)
    print(config.camera.type, config.camera.width, config.camera.height)
    for command in config.commands:
        print(command.section, command.kind, command.values)

check(), check_all(), format_text() and diff() run the installed tools (the
package quelmix-config-tools) through their machine interfaces.

The library is found by its SONAME, or at the path named by the environment
variable QUELMIX_CONFIG_PARSER_LIBRARY, or at a path given to Library().
Importing the package opens it and refuses a library of another major
version, whose record would be laid out differently.
"""
from ._library import (LIBRARY_VARIABLE, SONAME, Library, LibraryError,
                       default_library, open_default_at_import)
from ._load import load, loads
from ._record import Camera, Command, Config, Control, Result
from ._tools import (CheckReport, CheckResult, CommandChange, CommandSide,
                     ControlChange, Diagnostic, Diff, DiffFile, FieldChange,
                     Formatted, SectionChanges, ToolError, ToolNotFoundError,
                     check, check_all, diff, format_text)

__all__ = [
    "Camera", "CheckReport", "CheckResult", "Command", "CommandChange",
    "CommandSide", "Config", "Control", "ControlChange", "Diagnostic", "Diff",
    "DiffFile", "FieldChange", "Formatted", "LIBRARY_VARIABLE", "Library",
    "LibraryError", "Result", "SONAME", "SectionChanges", "ToolError",
    "ToolNotFoundError", "check", "check_all", "default_library", "diff",
    "format_text", "load", "loads",
]

open_default_at_import()

