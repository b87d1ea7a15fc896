# SPDX-License-Identifier: MIT
"""The record as Python values: frozen dataclasses copied out of the C
record, which is then released."""
from __future__ import annotations

import ctypes
from dataclasses import dataclass
from typing import Optional, Tuple

from ._library import COMMAND_LAYOUT, CameraConfig, ControlEntry

# Section codes (bits 16-31 of a command's type) as the header defines them,
# with each section's name and variant as a configuration file spells them.
_SECTIONS = {
    0x0200: ("board parameter", None),
    0x0202: ("board parameter||dev2", "dev2"),
    0x0204: ("board parameter||dev3||inf2", "dev3||inf2"),
    0x0203: ("board parameter||dev3||inf3", "dev3||inf3"),
    0x0300: ("register parameter", None),
    0x0304: ("register parameter||dev3||inf2", "dev3||inf2"),
    0x0303: ("register parameter||dev3||inf3", "dev3||inf3"),
}
_KINDS = {1: "REG", 2: "VRCMD", 3: "DELAY"}


def decode(data: bytes) -> str:
    """Bytes of the file as str, without loss: bytes that are not UTF-8
    become lone surrogates (``surrogateescape``), and ``encode(text)`` gives
    the bytes back."""
    return data.decode("utf-8", "surrogateescape")


def encode(text: str) -> bytes:
    """The bytes a str from `decode` was made of."""
    return text.encode("utf-8", "surrogateescape")


@dataclass(frozen=True)
class Camera:
    """The camera's parameters: the nine fields of the "camera parameter"
    section, zero (or empty) where the file does not set them."""

    cfg_mode: int
    """CFG_MODE."""
    type: str
    """TYPE, at most 49 bytes (bytes that are not UTF-8 kept as
    surrogateescape)."""
    width: int
    """SIZE, first value (pixels)."""
    height: int
    """SIZE, second value (pixels)."""
    bit_width: int
    """BIT_WIDTH (bits per pixel)."""
    format: int
    """FORMAT as one 16-bit number: first value in the high byte."""
    i2c_mode: int
    """I2C_MODE."""
    i2c_addr: int
    """I2C_ADDR."""
    trans_lvl: int
    """TRANS_LVL."""

    @property
    def format_bytes(self) -> bytes:
        """FORMAT as its two bytes, the first value first."""
        return self.format.to_bytes(2, "big")


@dataclass(frozen=True)
class Command:
    """One board or register command: a REG, VRCMD or DELAY line."""

    section: str
    """The section that held it, e.g. ``"board parameter||dev2"``."""
    variant: Optional[str]
    """The section's variant (``"dev2"``, ``"dev3||inf2"``,
    ``"dev3||inf3"``), None for a plain section."""
    kind: str
    """``"REG"``, ``"VRCMD"`` or ``"DELAY"``."""
    type: int
    """The numeric type code: section code or-ed with the command kind."""
    values: Tuple[int, ...]
    """The line's values in order."""


@dataclass(frozen=True)
class Control:
    """One control: a "control parameter" section."""

    min_value: int
    """MIN_VALUE, the low end of the range."""
    max_value: int
    """MAX_VALUE, the high end of the range."""
    step: int
    """STEP."""
    default: int
    """DEF, the default value (``def`` in the C record)."""
    ctrl_name: str
    """CTRL_NAME (surrogateescape for bytes that are not UTF-8)."""
    func_name: str
    """FUNC_NAME (surrogateescape for bytes that are not UTF-8)."""
    code: Optional[str]
    """The code block's text, each line ending in a newline, decoded
    without loss (surrogateescape); None when the section has none."""
    code_bytes: Optional[bytes]
    """The code block's text as the file's bytes; None when none."""


@dataclass(frozen=True)
class Result:
    """What the library returned: ``ok``, or the first bad line."""

    ok: bool
    """True when every line was taken in."""
    line: Optional[int]
    """The first bad line as the library numbers lines (pieces of lines
    longer than 1023 bytes count as lines); None when ok."""


@dataclass(frozen=True)
class Config:
    """Everything a host loads from one file."""

    result: Result
    """Whether a line was bad; a bad line does not stop the load."""
    camera: Camera
    """The camera's parameters."""
    commands: Tuple[Command, ...]
    """Board and register commands in file order."""
    controls: Tuple[Control, ...]
    """Controls in file order."""


def _names(type_code: int) -> Tuple[str, Optional[str], str]:
    section, variant = _SECTIONS.get(type_code >> 16, ("", None))
    return section, variant, _KINDS.get(type_code & 0xFFFF, "")


def _commands(record: CameraConfig) -> Tuple[Command, ...]:
    count = record.configs_length
    if count == 0 or not record.configs:
        return ()
    raw = ctypes.string_at(record.configs, count * COMMAND_LAYOUT.size)
    names = {}  # a file holds a handful of distinct type codes
    commands = []
    append = commands.append
    for fields in COMMAND_LAYOUT.iter_unpack(raw):
        code = fields[0]
        known = names.get(code)
        if known is None:
            known = names[code] = _names(code)
        # fields: the type, sixteen values, then how many are in use.
        append(Command(*known, code, fields[1:1 + fields[-1]]))
    return tuple(commands)


def _control(entry: ControlEntry) -> Control:
    code = ctypes.string_at(entry.code) if entry.code else None
    return Control(entry.min_value, entry.max_value, entry.step,
                   getattr(entry, "def"), decode(entry.ctrl_name),
                   decode(entry.func_name),
                   None if code is None else decode(code), code)


def _controls(record: CameraConfig) -> Tuple[Control, ...]:
    if record.controls_length == 0 or not record.controls:
        return ()
    entries = ctypes.cast(record.controls, ctypes.POINTER(ControlEntry))
    return tuple(_control(entries[i]) for i in range(record.controls_length))


def copy_record(record: CameraConfig, result: int) -> Config:
    """The Python values of a filled record (which stays as it is)."""
    camera = Camera(record.cfg_mode, decode(record.type), record.width,
                    record.height, record.bit_width, record.format,
                    record.i2c_mode, record.i2c_addr, record.trans_lvl)
    return Config(Result(result == 0, result if result > 0 else None),
                  camera, _commands(record), _controls(record))
