# SPDX-License-Identifier: MIT
"""The ctypes structures lay the record out as the C compiler lays out the
public header, and a library of another major version is refused."""
import ctypes
import os
import subprocess
import sys

import pytest

import quelmix_config as q
from quelmix_config import _library
from conftest import SOURCE, program


def c_layout():
    """{"camera_config": size, "camera_config.width": (offset, size), ...}
    from the C program."""
    out = subprocess.run([program("QUELMIX_TEST_LAYOUT")], capture_output=True,
                         check=True, text=True).stdout
    layout = {}
    for line in out.splitlines():
        words = line.split()
        if words[1] == "size":
            layout[words[0]] = int(words[2])
        else:
            layout[words[0]] = (int(words[1]), int(words[2]))
    return layout


def test_every_structure_and_field_matches_the_header():
    layout = c_layout()
    seen = set()
    for name, structure in _library.STRUCTURES.items():
        assert ctypes.sizeof(structure) == layout[name], name
        seen.add(name)
        for field, _ in structure._fields_:
            descriptor = getattr(structure, field)
            key = "%s.%s" % (name, field)
            assert (descriptor.offset, descriptor.size) == layout[key], key
            seen.add(key)
    assert seen == set(layout), "fields the C program names and ctypes lacks"


def test_the_command_list_reader_steps_by_the_c_size():
    assert _library.COMMAND_LAYOUT.size == c_layout()["config_entry"]


def test_the_library_has_the_soname_the_package_reads():
    library = q.Library(os.environ["QUELMIX_CONFIG_PARSER_LIBRARY"])
    assert _library.read_soname(library.path) == q.SONAME


def renamed_library(folder, soname):
    """A copy of the library whose SONAME says another major version."""
    original = os.environ["QUELMIX_CONFIG_PARSER_LIBRARY"]
    data = open(original, "rb").read()
    assert data.count(q.SONAME.encode() + b"\0") == 1
    copy = os.path.join(folder, "libquelmix_config_parser.so.x")
    with open(copy, "wb") as f:
        f.write(data.replace(q.SONAME.encode() + b"\0",
                             soname.encode() + b"\0"))
    return copy


def test_a_library_of_another_major_version_is_refused(tmp_path):
    copy = renamed_library(str(tmp_path), "libquelmix_config_parser.so.2")
    assert _library.read_soname(copy) == "libquelmix_config_parser.so.2"
    with pytest.raises(q.LibraryError) as caught:
        q.Library(copy)
    assert "so.2" in str(caught.value)


def run_python(code, **environment):
    return subprocess.run([sys.executable, "-c", code], capture_output=True,
                          text=True, env={**os.environ, **environment})


def test_the_import_refuses_it_too(tmp_path):
    copy = renamed_library(str(tmp_path), "libquelmix_config_parser.so.2")
    done = run_python("import quelmix_config",
                      QUELMIX_CONFIG_PARSER_LIBRARY=copy)
    assert done.returncode != 0
    assert "ImportError" in done.stderr or "LibraryError" in done.stderr


def test_a_library_that_is_not_there_is_named(tmp_path):
    absent = str(tmp_path / "libquelmix_config_parser.so.1")
    with pytest.raises(q.LibraryError) as caught:
        q.Library(absent)
    assert "libquelmix-config-parser1" in str(caught.value)


def test_the_build_tree_import_the_docs_show():
    done = subprocess.run(
        [sys.executable, "-c", "import quelmix_config as q; "
         "print(q.load('examples/sample.cfg').camera.type)"],
        capture_output=True, text=True, cwd=SOURCE)
    assert (done.returncode, done.stdout) == (0, "QX-720P sensor board\n"), \
        done.stderr
