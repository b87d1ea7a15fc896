#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The checker's --json output parses as JSON and agrees with its dumps.

Usage: json_check.py CHECKER SOURCE_DIR
For the samples, every camera field, command value and control field in the
JSON is compared with what the dumps print for the same file; hostile inputs
(invalid UTF-8, control bytes, quotes, random bytes) must still give valid
JSON whose strings round-trip to the bytes of the file where they are UTF-8.
"""
import json
import os
import random
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
import tempfile

checker, source_dir = sys.argv[1], sys.argv[2]
check = Checks()


def run(*args):
    return subprocess.run([checker, *args], capture_output=True)


def json_of(path):
    out = run("--json", path)
    return json.loads(out.stdout.decode("utf-8"))


def dumps_of(path):
    out = run("-q", "--dump", path)
    return out.stderr.decode("latin-1"), out.stdout.decode("latin-1")


def compare_with_dumps(path):
    doc = json_of(path)
    err, out = dumps_of(path)
    cam = doc["camera"]
    expected_camera = [
        "CFG_MODE : %d" % cam["cfg_mode"],
        "TYPE     : %s" % cam["type"],
        "WIDTH    : %d" % cam["width"],
        "HEIGHT   : %d" % cam["height"],
        "BIT_WIDTH: %d" % cam["bit_width"],
        "FORMAT   : 0x%02X" % cam["format"],
        "I2C_MODE : %d" % cam["i2c_mode"],
        "I2C_ADDR : %d" % cam["i2c_addr"],
        "TRANS_LVL: %d" % cam["trans_lvl"],
    ]
    lines = err.split("\n")
    check(lines[:9] == expected_camera, path + ": camera fields")
    values = ["".join("0x%04X " % v for v in c["values"])
              for c in doc["commands"]]
    check(out.split("\n")[:-1] == values, path + ": command values")
    controls = []
    for k in doc["controls"]:
        controls += ["MIN_VALUE  = %d" % k["min_value"],
                     "MAX_VALUE  = %d" % k["max_value"],
                     "STEP       = %d" % k["step"],
                     "DEF        = %d" % k["def"],
                     "CTRL_NAME\t= %s" % k["ctrl_name"],
                     "FUNC_NAME\t= %s" % k["func_name"]]
        controls += ((k["code"] or "") + "\n").split("\n")[:-1]
    check(lines[9:9 + len(controls)] == controls, path + ": controls")
    groups = []
    for c in doc["commands"]:
        group = "[0x%04X]" % (c["type"] >> 16)
        if not groups or groups[-1] != group:
            groups.append(group)
        check(c["section"].startswith(("board parameter",
                                       "register parameter")),
              path + ": section name")
    check(lines[9 + len(controls):-1] == groups, path + ": group headers")
    check(doc["result"] == {"ok": True}, path + ": result")


for name in ["examples/sample.cfg", "fuzz/corpus/controls.cfg",
             "fuzz/corpus/overview.cfg"]:
    compare_with_dumps(os.path.join(source_dir, name))

hostile = {
    "invalid_utf8.cfg": b"[camera parameter]\nTYPE = caf\xe9 \xff\xfe\n"
                        b"[control parameter]\nCTRL_NAME = \xc3(\n"
                        b"======CODE_BLOCK_START======\n\x01\x02\"\\\x7f\n"
                        b"======CODE_BLOCK_END======\n",
    "utf8.cfg": "[camera parameter]\nTYPE = cam\u00e9ra \U0001F4F7\n"
                .encode("utf-8"),
    "bad_line.cfg": b"[camera parameter]\nbad \"line\"\n",
    "random.cfg": bytes(random.Random(7).randrange(256) for _ in range(20000)),
}
with tempfile.TemporaryDirectory() as tmp:
    for name, data in hostile.items():
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        try:
            doc = json_of(path)
        except ValueError as error:
            check(False, name + ": not JSON: %s" % error)
            continue
        check(doc["file"] == path, name + ": file")
    utf8 = json_of(os.path.join(tmp, "utf8.cfg"))
    check(utf8["camera"]["type"] == "cam\u00e9ra \U0001F4F7", "utf8 kept")
    bad = json_of(os.path.join(tmp, "invalid_utf8.cfg"))
    check(bad["camera"]["type"] == "caf\u00e9 \u00ff\u00fe",
          "invalid bytes as their code points")
    check(bad["controls"][0]["code"] == "\x01\x02\"\\\x7f\n", "code bytes")
    broken = json_of(os.path.join(tmp, "bad_line.cfg"))
    check(broken["result"]["ok"] is False and broken["result"]["line"] == 2,
          "bad line in result")
    check([(d["severity"], d["line"], d["column"], d["kind"])
           for d in broken["diagnostics"]] ==
          [("error", 2, 1, "missing-separator")], "diagnostics")
    hinted = os.path.join(tmp, "hinted.cfg")
    with open(hinted, "wb") as f:
        f.write(b"[camera parameter]\nI2CADDR = 1\n")
    kinds = json_of(hinted)["diagnostics"]
    check(len(kinds) == 1 and kinds[0]["kind"] == "unknown-key" and
          "I2C_ADDR" in kinds[0]["hint"], "hint in diagnostics")
    check("fails" not in kinds[0], "a warning that does not fail says nothing")
    # A warning made an error says that it fails the check; others do not.
    with open(os.path.join(tmp, "two.cfg"), "wb") as f:
        f.write(b"[camera parameter]\nI2CADDR = 1\nI2C_ADDR = 010\n")
    for options, failing in (([], []),
                             (["-Werror"], ["unknown-key", "leading-zero"]),
                             (["-Werror=leading-zero"], ["leading-zero"]),
                             (["-Werror", "-Wno-error=unknown-key"],
                              ["leading-zero"])):
        done = run("--json", *options, os.path.join(tmp, "two.cfg"))
        shown = json.loads(done.stdout)["diagnostics"]
        check(sorted(d["kind"] for d in shown) ==
              ["leading-zero", "unknown-key"], "both shown %s" % options)
        check([d["kind"] for d in shown if d.get("fails") is True] ==
              [k for k in ("unknown-key", "leading-zero") if k in failing],
              "fails %s" % options)
        check(done.returncode == (1 if failing else 0), "status %s" % options)
    off = json.loads(run("--json", "-Wno-unknown-key", hinted).stdout)
    check(off["diagnostics"] == [] and off["warnings"] == [],
          "a kind switched off")
    several = json.loads(run("--json", os.path.join(tmp, "utf8.cfg"),
                             "/nonexistent").stdout)
    check(isinstance(several, list) and len(several) == 2, "array of files")
    check(several[1]["result"]["line"] == -1, "unreadable file in result")

check.finish()
