# SPDX-License-Identifier: MIT
"""load() gives the record a C host gets: every field and value, the
result for bad lines, missing and unreadable files, and loads on several
threads at once."""
import errno
import os
import subprocess
import threading

import pytest

import quelmix_config as q
from conftest import SOURCE, program, sample_files

SAMPLE = os.path.join(SOURCE, "examples", "sample.cfg")


def hex_text(data):
    return data.hex() if data else "-"


def python_dump(config, result):
    """The lines the C dump program prints, from the package's record."""
    c = config.camera
    lines = ["result %d" % result,
             "camera %d %s %d %d %d %d %d %d %d" % (
                 c.cfg_mode, hex_text(q._record.encode(c.type)), c.width,
                 c.height, c.bit_width, c.format, c.i2c_mode, c.i2c_addr,
                 c.trans_lvl)]
    for command in config.commands:
        lines.append(" ".join(["command", str(command.type)] +
                              [str(v) for v in command.values]))
    for k in config.controls:
        code = "null" if k.code_bytes is None else hex_text(k.code_bytes)
        lines.append("control %d %d %d %d %s %s %s" % (
            k.min_value, k.max_value, k.step, k.default,
            hex_text(q._record.encode(k.ctrl_name)),
            hex_text(q._record.encode(k.func_name)), code))
    return lines


def c_dump(path):
    out = subprocess.run([program("QUELMIX_TEST_RECORD_DUMP"), path],
                         capture_output=True, check=True).stdout
    return out.decode().splitlines()


def test_every_field_matches_a_c_host(all_files):
    for path in all_files:
        config = q.load(path)
        expected = c_dump(path)
        result = int(expected[0].split()[1])
        assert python_dump(config, result) == expected, path
        assert config.result.ok == (result == 0)
        assert config.result.line == (result if result > 0 else None)


def test_the_example_host_prints_the_same_summary():
    host = program("QUELMIX_TEST_EXAMPLE_HOST")
    for path in sample_files():
        done = subprocess.run([host, path], capture_output=True)
        if done.returncode == 2:
            with pytest.raises(OSError):
                q.load(path)
            continue
        config = q.load(path)
        c = config.camera
        lines = ["camera   %s, %dx%d, %d bits, format 0x%04X" % (
                     c.type, c.width, c.height, c.bit_width, c.format),
                 "i2c      mode %d, address 0x%02X" % (c.i2c_mode, c.i2c_addr),
                 "commands %d" % len(config.commands)]
        lines += ["control  %s (%s): %d..%d, default %d" % (
            k.ctrl_name, k.func_name, k.min_value, k.max_value, k.default)
            for k in config.controls]
        lines.append("controls %d" % len(config.controls))
        expected = done.stdout.decode("utf-8", "surrogateescape").splitlines()
        assert lines == expected, path
        assert done.returncode == (0 if config.result.ok else 1)


def test_the_sample_holds_what_it_says():
    config = q.load(SAMPLE)
    assert config.result == q.Result(True, None)
    assert config.camera.type == "QX-720P sensor board"
    assert (config.camera.width, config.camera.height) == (1280, 720)
    assert config.camera.format == 0x0201
    assert config.camera.format_bytes == b"\x02\x01"
    first = config.commands[0]
    assert (first.section, first.variant, first.kind) == (
        "board parameter", None, "REG")
    assert first.type == 0x02000001 and first.values == (0x0100, 0x00)
    variants = {c.section: c.variant for c in config.commands}
    assert variants["board parameter||dev2"] == "dev2"
    assert variants["register parameter||dev3||inf2"] == "dev3||inf2"
    assert [k.ctrl_name for k in config.controls] == ["Brightness", "Exposure"]
    assert config.controls[1].code.startswith("; the exposure")
    assert config.controls[1].code_bytes == config.controls[1].code.encode()


# Texts with a bad line, and the line the result names; the rest of the
# file is still read.
BAD_LINES = [
    (b"[camera parameter\nSIZE = 1, 2\n", 1),
    (b"[camera parameter]\nSIZE 640\nBIT_WIDTH = 8\n", 2),
    (b"[board parameter]\nREG = " + b", ".join([b"1"] * 17) + b"\nDELAY = 1\n",
     2),
    (b"[control parameter]\n======CODE_BLOCK_START======\nx\n", 3),
]


@pytest.mark.parametrize("text,line", BAD_LINES)
def test_a_bad_line_is_the_result_not_an_exception(tmp_path, text, line):
    path = tmp_path / "bad.cfg"
    path.write_bytes(text)
    config = q.load(path)
    assert config.result == q.Result(False, line)
    assert q.loads(text) == config


def test_the_rest_of_the_file_is_read_after_a_bad_line():
    config = q.loads(b"[camera parameter]\nSIZE 640\nBIT_WIDTH = 8\n"
                     b"[board parameter]\nDELAY = 5\n")
    assert config.camera.bit_width == 8
    assert [(c.kind, c.values) for c in config.commands] == [("DELAY", (5,))]


def test_a_missing_file_raises_with_its_path_and_errno(tmp_path):
    path = str(tmp_path / "absent.cfg")
    with pytest.raises(FileNotFoundError) as caught:
        q.load(path)
    assert caught.value.errno == errno.ENOENT
    assert caught.value.filename == path


@pytest.mark.parametrize("path,error", [
    ("/proc/self/mem", errno.EIO),   # opens, but cannot be read
    ("/", errno.EISDIR),             # a folder opens for reading too
])
def test_an_unreadable_file_raises_with_the_c_library_errno(path, error):
    with pytest.raises(OSError) as caught:
        q.load(path)
    assert caught.value.errno == error
    assert caught.value.filename == path


@pytest.mark.skipif(os.geteuid() == 0, reason="root reads any file")
def test_a_file_without_read_permission_raises(tmp_path):
    path = tmp_path / "secret.cfg"
    path.write_bytes(b"[camera parameter]\n")
    path.chmod(0)
    with pytest.raises(PermissionError):
        q.load(path)


def test_bytes_that_are_not_utf8_survive():
    text = (b"[camera parameter]\nTYPE = caf\xe9\n[control parameter]\n"
            b"CTRL_NAME = \xff\xfe\n======CODE_BLOCK_START======\n"
            b"w(\x80)\n======CODE_BLOCK_END======\n")
    config = q.loads(text)
    assert q._record.encode(config.camera.type) == b"caf\xe9"
    control = config.controls[0]
    assert q._record.encode(control.ctrl_name) == b"\xff\xfe"
    assert control.code_bytes == b"w(\x80)\n"
    assert q._record.encode(control.code) == control.code_bytes


def test_paths_may_be_str_bytes_or_pathlike():
    import pathlib
    expected = q.load(SAMPLE)
    assert q.load(os.fsencode(SAMPLE)) == expected
    assert q.load(pathlib.Path(SAMPLE)) == expected


def test_a_library_given_by_path_is_used():
    library = q.Library(os.environ["QUELMIX_CONFIG_PARSER_LIBRARY"])
    assert q.load(SAMPLE, library=library) == q.load(SAMPLE)
    assert os.path.samefile(library.path,
                            os.environ["QUELMIX_CONFIG_PARSER_LIBRARY"])


def test_the_records_are_frozen():
    config = q.load(SAMPLE)
    with pytest.raises(AttributeError):
        config.camera.width = 1  # type: ignore[misc]


def test_loads_on_several_threads_at_once(generated_files):
    paths = generated_files + [SAMPLE]
    expected = {path: q.load(path) for path in paths}
    failures = []

    def work(offset):
        for i in range(12):
            path = paths[(offset + i) % len(paths)]
            if q.load(path) != expected[path]:
                failures.append(path)
            if q.loads(open(path, "rb").read()) != expected[path]:
                failures.append("loads " + path)

    threads = [threading.Thread(target=work, args=(n,)) for n in range(6)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []


def test_every_public_name_has_a_docstring():
    import inspect
    for name in q.__all__:
        value = getattr(q, name)
        if isinstance(value, str):
            continue
        assert inspect.getdoc(value), name
        if inspect.isclass(value):
            for member, attribute in vars(value).items():
                if not member.startswith("_") and callable(attribute):
                    assert inspect.getdoc(attribute), name + "." + member
