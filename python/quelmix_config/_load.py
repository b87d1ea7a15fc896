# SPDX-License-Identifier: MIT
"""load() and loads(): the library's parse, exactly as a C host calls it."""
from __future__ import annotations

import os
import shutil
import tempfile
from typing import Optional, Union

from ._library import CameraConfig, Library, PathArg, default_library
from ._record import Config, copy_record


def _parse(library: Library, path: bytes) -> "tuple[Config, int]":
    record = CameraConfig()  # ctypes zeroes every byte, as the header asks
    try:
        result, error = library.parse(path, record)
        return copy_record(record, result), error
    finally:
        library.release(record)


def _cannot_read(error: int, name: Optional[PathArg]) -> OSError:
    if error:
        if name is None:
            return OSError(error, os.strerror(error))
        return OSError(error, os.strerror(error), name)
    return OSError(None, "cannot open or read the file", name)


def load(path: PathArg, *, library: Optional[Library] = None) -> Config:
    """Loads the configuration file at `path` as a C host does.

    A bad line does not raise: ``result`` names it and the record holds
    what the rest of the file set. A file that cannot be opened or read
    raises OSError with the path and, where the C library set one, the
    errno (so FileNotFoundError, PermissionError, IsADirectoryError).
    `library` is a Library to use instead of the default one."""
    library = library or default_library()
    config, error = _parse(library, os.fsencode(path))
    if config.result.line is None and not config.result.ok:
        raise _cannot_read(error, path)
    return config


def _load_from_memfd(library: Library, data: bytes) -> "tuple[Config, int]":
    fd = os.memfd_create("quelmix-config", os.MFD_CLOEXEC)
    try:
        with open(fd, "wb", closefd=False) as f:
            f.write(data)
        config, error = _parse(library, b"/proc/self/fd/%d" % fd)
        if config.result.line is None and not config.result.ok:
            raise OSError(error, "no /proc/self/fd")  # try the other way
        return config, error
    finally:
        os.close(fd)


def _load_from_private_folder(library: Library,
                              data: bytes) -> "tuple[Config, int]":
    folder = tempfile.mkdtemp(prefix="quelmix-config-")  # mode 0700
    try:
        path = os.path.join(folder, "text.cfg")
        with open(path, "xb") as f:
            f.write(data)
        return _parse(library, os.fsencode(path))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def loads(text: Union[str, bytes], *,
          library: Optional[Library] = None) -> Config:
    """Loads configuration text held in memory, as `load` loads a file.

    A str is encoded as UTF-8 (lone surrogates from surrogateescape give
    their bytes back). The text reaches the library through an anonymous
    memory file (memfd_create, read through /proc/self/fd), or, where the
    system has none, through a file in a private temporary folder; either
    is closed and removed before loads returns or raises, and no error
    names it."""
    library = library or default_library()
    data = text.encode("utf-8", "surrogateescape") if isinstance(
        text, str) else bytes(text)
    try:
        config, error = _load_from_memfd(library, data)
    except (AttributeError, OSError):
        # No memfd_create (an old kernel, a sandbox) or no /proc.
        try:
            config, error = _load_from_private_folder(library, data)
        except OSError as failure:
            raise OSError(failure.errno, failure.strerror) from None
    if config.result.line is None and not config.result.ok:
        raise _cannot_read(error, None)
    return config
