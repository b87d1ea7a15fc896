# SPDX-License-Identifier: MIT
"""The record as the checker's --json shows it: the same members, names
and values, so that a script can take either."""
from __future__ import annotations

import json
from typing import Any, Dict, List, Optional

from ._record import Command, Config, Control, encode


def _json_text(text: Optional[str]) -> Optional[str]:
    # Bytes that are not UTF-8 appear as the characters U+0080 to U+00FF,
    # one for each byte, as in the checker's JSON.
    if text is None:
        return None
    data = encode(text)
    out: List[str] = []
    while data:
        try:
            out.append(data.decode("utf-8"))
            break
        except UnicodeDecodeError as error:
            out.append(data[:error.start].decode("utf-8"))
            out.append(chr(data[error.start]))
            data = data[error.start + 1:]
    return "".join(out)


def _command(c: Command) -> Dict[str, Any]:
    return {"section": c.section, "variant": c.variant, "kind": c.kind,
            "type": c.type, "values": list(c.values)}


def _control(k: Control) -> Dict[str, Any]:
    return {"ctrl_name": _json_text(k.ctrl_name),
            "func_name": _json_text(k.func_name), "min_value": k.min_value,
            "max_value": k.max_value, "step": k.step, "def": k.default,
            "code": _json_text(k.code)}


def record_document(config: Config, name: str) -> Dict[str, Any]:
    """The checker's --json document for a file, without what only the
    checker knows (diagnostics, warnings, the file's own line numbers)."""
    camera = config.camera
    result: Dict[str, Any] = {"ok": config.result.ok}
    if config.result.line is not None:
        result["line"] = config.result.line
    return {
        "file": name,
        "result": result,
        "camera": {"cfg_mode": camera.cfg_mode,
                   "type": _json_text(camera.type), "width": camera.width,
                   "height": camera.height, "bit_width": camera.bit_width,
                   "format": camera.format, "i2c_mode": camera.i2c_mode,
                   "i2c_addr": camera.i2c_addr,
                   "trans_lvl": camera.trans_lvl},
        "commands": [_command(c) for c in config.commands],
        "controls": [_control(k) for k in config.controls],
    }


def _list(items: List[Dict[str, Any]]) -> str:
    if not items:
        return "[]"
    return "[\n    " + ",\n    ".join(
        json.dumps(item, ensure_ascii=False) for item in items) + "\n  ]"


def to_json(config: Config, name: str) -> str:
    """`record_document` laid out as the checker lays it out: one member a
    line, one list item a line."""
    document = record_document(config, name)
    lines = []
    for key, value in document.items():
        text = _list(value) if isinstance(value, list) else json.dumps(
            value, ensure_ascii=False)
        lines.append("  %s: %s" % (json.dumps(key), text))
    return "{\n" + ",\n".join(lines) + "\n}"
