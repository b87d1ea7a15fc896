# SPDX-License-Identifier: MIT
"""The shared library through ctypes: the record's structures as the C
header lays them out, finding and opening the library, and checking that
it is the major version these structures describe."""
from __future__ import annotations

import ctypes
import os
import struct
import threading
from typing import Optional, Union

#: The SONAME this package reads the record of; a library whose major
#: version differs lays the record out differently.
SONAME = "libquelmix_config_parser.so.1"
#: The environment variable that names the library file to use instead.
LIBRARY_VARIABLE = "QUELMIX_CONFIG_PARSER_LIBRARY"
#: The Debian package that installs the library.
RUNTIME_PACKAGE = "libquelmix-config-parser1"

CONFIG_MAX_PARAMS = 16

PathArg = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]


class ConfigEntry(ctypes.Structure):
    """``config_entry``: one board or register command."""

    _fields_ = [
        ("type", ctypes.c_uint32),
        ("params", ctypes.c_uint32 * CONFIG_MAX_PARAMS),
        ("params_length", ctypes.c_uint8),
    ]


class ControlEntry(ctypes.Structure):
    """``control_entry``: one control."""

    _fields_ = [
        ("min_value", ctypes.c_int64),
        ("max_value", ctypes.c_int64),
        ("step", ctypes.c_int32),
        ("def", ctypes.c_int64),
        ("reserved", ctypes.c_uint32),
        ("ctrl_name", ctypes.c_char * 128),
        ("func_name", ctypes.c_char * 128),
        ("code", ctypes.c_void_p),  # a char *, freed with the library's free
    ]


class CameraConfig(ctypes.Structure):
    """``camera_config``: the record a parse fills."""

    _fields_ = [
        ("cfg_mode", ctypes.c_int32),
        ("type", ctypes.c_char * 50),
        ("width", ctypes.c_int32),
        ("height", ctypes.c_int32),
        ("bit_width", ctypes.c_uint8),
        ("format", ctypes.c_uint16),
        ("i2c_mode", ctypes.c_uint8),
        ("i2c_addr", ctypes.c_uint16),
        ("trans_lvl", ctypes.c_int32),
        ("configs", ctypes.c_void_p),
        ("configs_length", ctypes.c_uint32),
        ("controls", ctypes.c_void_p),
        ("controls_length", ctypes.c_uint32),
    ]


STRUCTURES = {
    "camera_config": CameraConfig,
    "config_entry": ConfigEntry,
    "control_entry": ControlEntry,
}

# A command list is read in one go: type, sixteen values, the count, then
# the structure's tail padding.
COMMAND_LAYOUT = struct.Struct(
    "=I%dIB%dx" % (CONFIG_MAX_PARAMS,
                   ctypes.sizeof(ConfigEntry) - 4 * (CONFIG_MAX_PARAMS + 1) - 1))
assert COMMAND_LAYOUT.size == ctypes.sizeof(ConfigEntry)


class LibraryError(ImportError):
    """The shared library could not be found or opened, or is not the major
    version whose record this package reads."""


class _DlInfo(ctypes.Structure):
    _fields_ = [
        ("dli_fname", ctypes.c_char_p),
        ("dli_fbase", ctypes.c_void_p),
        ("dli_sname", ctypes.c_char_p),
        ("dli_saddr", ctypes.c_void_p),
    ]


def _loaded_file(function: ctypes._CFuncPtr) -> Optional[str]:
    """The file the dynamic loader took `function` from."""
    process = ctypes.CDLL(None)
    dladdr = process.dladdr
    dladdr.argtypes = [ctypes.c_void_p, ctypes.POINTER(_DlInfo)]
    dladdr.restype = ctypes.c_int
    info = _DlInfo()
    address = ctypes.cast(function, ctypes.c_void_p).value
    if not dladdr(address, ctypes.byref(info)) or not info.dli_fname:
        return None
    return os.fsdecode(info.dli_fname)


def read_soname(path: PathArg) -> Optional[str]:
    """The DT_SONAME of the 64-bit little-endian ELF file at `path`, or
    None when it has none."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"\x7fELF" or data[4] != 2 or data[5] != 1:
        raise LibraryError("%s: not a 64-bit little-endian ELF file"
                           % os.fsdecode(path))
    shoff, = struct.unpack_from("<Q", data, 0x28)
    shentsize, shnum = struct.unpack_from("<HH", data, 0x3A)
    sections = [struct.unpack_from("<IIQQQQIIQQ", data, shoff + i * shentsize)
                for i in range(shnum)]
    SHT_DYNAMIC, DT_NULL, DT_SONAME = 6, 0, 14
    for _, kind, _, _, offset, size, link, _, _, _ in sections:
        if kind != SHT_DYNAMIC:
            continue
        strings_offset = sections[link][4]
        for tag, value in struct.iter_unpack("<qQ", data[offset:offset + size]):
            if tag == DT_NULL:
                break
            if tag == DT_SONAME:
                start = strings_offset + value
                return data[start:data.index(b"\0", start)].decode()
    return None


class Library:
    """The opened shared library, checked to be the major version whose
    record this package reads.

    `path` names the library file; without it the environment variable
    ``QUELMIX_CONFIG_PARSER_LIBRARY`` does, and without that the dynamic
    loader finds the library by its SONAME,
    ``libquelmix_config_parser.so.1``, as it would for a C host.
    Raises LibraryError when none is found or its SONAME differs."""

    def __init__(self, path: Optional[PathArg] = None) -> None:
        if path is None:
            path = os.environ.get(LIBRARY_VARIABLE) or None
        name = SONAME if path is None else os.fsdecode(path)
        try:
            self._dll = ctypes.CDLL(name, use_errno=True)
        except OSError as error:
            raise LibraryError(
                "cannot open the quelmix_config_parser library %s (%s): install "
                "the Debian package %s, or name the library file in %s"
                % (name, error, RUNTIME_PACKAGE, LIBRARY_VARIABLE)) from None
        parse = self._dll.quelmix_parse_config
        parse.argtypes = [ctypes.c_char_p, ctypes.POINTER(CameraConfig)]
        parse.restype = ctypes.c_int32
        self._parse = parse
        self.path: str = _loaded_file(parse) or name
        """The library file the dynamic loader opened."""
        soname = read_soname(self.path)
        if soname != SONAME:
            raise LibraryError(
                "%s has SONAME %s, but this package reads the record of %s"
                % (self.path, soname, SONAME))
        # The free the library's malloc pairs with: looked up through the
        # library's handle, so it is the C library the library itself uses.
        free = self._dll.free
        free.argtypes = [ctypes.c_void_p]
        free.restype = None
        self._free = free

    def parse(self, path: bytes, record: CameraConfig) -> "tuple[int, int]":
        """Calls quelmix_parse_config(path, &record); returns its result
        and the errno the C library left (0 unless the result is -1)."""
        ctypes.set_errno(0)
        result = self._parse(path, ctypes.byref(record))
        return result, ctypes.get_errno() if result == -1 else 0

    def release(self, record: CameraConfig) -> None:
        """Frees what the record points to with the C library's free, as
        quelmix_release_config does, and zeroes the record."""
        if record.controls:
            controls = ctypes.cast(record.controls,
                                   ctypes.POINTER(ControlEntry))
            for i in range(record.controls_length):
                if controls[i].code:
                    self._free(controls[i].code)
        self._free(record.controls)
        self._free(record.configs)
        ctypes.memset(ctypes.byref(record), 0, ctypes.sizeof(record))


_default: Optional[Library] = None
_default_lock = threading.Lock()


def default_library() -> Library:
    """The library the module-level functions use, opened on first use."""
    global _default
    with _default_lock:
        if _default is None:
            _default = Library()
        return _default


def open_default_at_import() -> None:
    """Opens the default library now, so that a library of another major
    version stops the import. A library that cannot be found is reported
    on first use instead: the tools' functions work without it."""
    try:
        default_library()
    except LibraryError:
        if os.environ.get(LIBRARY_VARIABLE):
            raise
        try:
            ctypes.CDLL(SONAME)
        except OSError:
            return  # not installed: load() says so when it is called
        raise
