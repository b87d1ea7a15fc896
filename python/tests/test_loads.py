# SPDX-License-Identifier: MIT
"""loads(): text held in memory loads as the same text in a file does, and
every way through it leaves no file and no descriptor behind, and names no
temporary path in its errors."""
import errno
import os
import tempfile

import pytest

import quelmix_config as q
from quelmix_config import _library, _load
from conftest import SOURCE

SAMPLE = os.path.join(SOURCE, "examples", "sample.cfg")


def open_descriptors():
    return sorted(os.listdir("/proc/self/fd"))


@pytest.fixture
def private_tmp(tmp_path, monkeypatch):
    """tempfile's folder, to see what is left in it."""
    folder = tmp_path / "tmp"
    folder.mkdir()
    monkeypatch.setattr(tempfile, "tempdir", str(folder))
    return folder


@pytest.fixture
def no_memfd(monkeypatch):
    """A system without memfd_create: loads takes the temporary folder."""
    def refuse(*_):
        raise OSError(errno.ENOSYS, "no memfd_create")
    monkeypatch.setattr(os, "memfd_create", refuse)


@pytest.fixture
def no_proc(monkeypatch):
    """A system without /proc: the library cannot open the memory file."""
    real = _library.Library.parse

    def parse(self, path, record):
        if path.startswith(b"/proc/self/fd/"):
            return -1, errno.ENOENT
        return real(self, path, record)
    monkeypatch.setattr(_library.Library, "parse", parse)


def sample_text():
    with open(SAMPLE, "rb") as f:
        return f.read()


@pytest.mark.parametrize("way", ["memfd", "no_memfd", "no_proc"])
def test_text_loads_as_the_file_does(request, private_tmp, way):
    if way != "memfd":
        request.getfixturevalue(way)
    before = open_descriptors()
    data = sample_text()
    assert q.loads(data) == q.load(SAMPLE)
    assert q.loads(data.decode()) == q.load(SAMPLE)
    assert open_descriptors() == before
    assert list(private_tmp.iterdir()) == []


@pytest.mark.parametrize("way", ["memfd", "no_memfd"])
def test_nothing_is_left_when_copying_the_record_fails(
        request, private_tmp, monkeypatch, way):
    if way != "memfd":
        request.getfixturevalue(way)

    def fail(*_):
        raise MemoryError("copying the record")
    monkeypatch.setattr(_load, "copy_record", fail)
    before = open_descriptors()
    with pytest.raises(MemoryError):
        q.loads(sample_text())
    assert open_descriptors() == before
    assert list(private_tmp.iterdir()) == []


def test_an_unreadable_text_raises_without_a_temporary_path(
        private_tmp, monkeypatch, no_proc):
    real = _library.Library.parse

    def parse(self, path, record):
        if path.startswith(os.fsencode(str(private_tmp))):
            return -1, errno.EIO
        return real(self, path, record)
    monkeypatch.setattr(_library.Library, "parse", parse)
    before = open_descriptors()
    with pytest.raises(OSError) as caught:
        q.loads(sample_text())
    assert caught.value.errno == errno.EIO
    assert caught.value.filename is None
    assert str(private_tmp) not in str(caught.value)
    assert "/proc/self/fd" not in str(caught.value)
    assert open_descriptors() == before
    assert list(private_tmp.iterdir()) == []


def test_a_temporary_folder_that_cannot_be_made_is_not_named(
        tmp_path, monkeypatch, no_memfd):
    absent = str(tmp_path / "absent")
    monkeypatch.setattr(tempfile, "tempdir", absent)
    with pytest.raises(OSError) as caught:
        q.loads(sample_text())
    assert caught.value.errno == errno.ENOENT
    assert absent not in str(caught.value)


def test_the_temporary_folder_is_private(private_tmp, monkeypatch, no_memfd):
    seen = []
    real = _library.Library.parse

    def parse(self, path, record):
        seen.append(os.stat(os.path.dirname(path)).st_mode & 0o777)
        return real(self, path, record)
    monkeypatch.setattr(_library.Library, "parse", parse)
    q.loads(sample_text())
    assert seen == [0o700]


def test_str_with_escaped_bytes_gives_those_bytes_back():
    data = b"[camera parameter]\nTYPE = \xe9t\xe9\n"
    text = data.decode("utf-8", "surrogateescape")
    assert q.loads(text) == q.loads(data)
    assert q.loads(text).camera.type == text.split("= ")[1].strip()


def test_many_loads_leak_no_descriptor():
    before = open_descriptors()
    for _ in range(200):
        q.loads(b"[camera parameter]\nSIZE = 1, 2\n")
    assert open_descriptors() == before
