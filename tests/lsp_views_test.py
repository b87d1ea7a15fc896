#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""What the server shows beside the text: semantic tokens (decoded back to
positions and types on a table of lines, full and by range), folding ranges
and inlay hints, on a file of every kind of line and on the sample.

Usage: lsp_views_test.py SERVER SAMPLE
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
from lsp_client import Client  # noqa: E402

server, sample = sys.argv[1], sys.argv[2]
check = Checks()


URI = "file:///tmp/views.cfg"
LINES = [
    "; a comment",                          # 0
    "[camera parameter]",                   # 1
    "I2C_ADDR = 0x36",                      # 2
    "TYPE = QX;rev B",                      # 3
    "FORMAT = 2, 1 ; note",                 # 4
    "cfg_mode = 1",                         # 5
    "",                                     # 6
    "[camra parameter]",                    # 7
    "[register parameter]",                 # 8
    "REG = 0x3008, 0x82",                   # 9
    "REG = -1",                             # 10
    "bad line",                             # 11
    "[control parameter]",                  # 12
    "STEP = 4294967297",                    # 13
    "======CODE_BLOCK_START======",         # 14
    "  x = 1",                              # 15
    "======CODE_BLOCK_END======",            # 16
]
TEXT = "\n".join(LINES) + "\n"

c = Client(server)
caps = c.init["result"]["capabilities"]
legend = caps["semanticTokensProvider"]["legend"]
check(caps["semanticTokensProvider"]["range"] and caps["foldingRangeProvider"]
      and caps["inlayHintProvider"], "advertised")
c.notify("textDocument/didOpen", {"textDocument": {
    "uri": URI, "languageId": "quelmix", "version": 1, "text": TEXT}})
document = {"uri": URI}


def decode(data):
    """(line, text, type, modifiers) of each token."""
    out, line, start = [], 0, 0
    for i in range(0, len(data), 5):
        dl, ds, length, kind, mods = data[i:i + 5]
        line += dl
        start = start + ds if dl == 0 else ds
        names = [m for b, m in enumerate(legend["tokenModifiers"])
                 if mods >> b & 1]
        out.append((line, LINES[line][start:start + length],
                    legend["tokenTypes"][kind], names))
    return out


tokens = decode(c.request("textDocument/semanticTokens/full",
                          {"textDocument": document})["result"]["data"])
expected = [
    (0, "; a comment", "comment", []),
    (1, "[camera parameter]", "namespace", []),
    (2, "I2C_ADDR", "property", []), (2, "=", "operator", []),
    (2, "0x36", "number", []),
    (3, "TYPE", "property", []), (3, "=", "operator", []),
    (3, "QX", "string", []), (3, ";rev B", "string", ["notAComment"]),
    (4, "FORMAT", "property", []), (4, "=", "operator", []),
    (4, "2", "number", []), (4, ",", "operator", []), (4, "1", "number", []),
    (4, "; note", "comment", []),
    (5, "cfg_mode", "property", ["unknown"]), (5, "=", "operator", []),
    (5, "1", "string", []),  # the key is unknown: its value is text
    (7, "[camra parameter]", "namespace", ["unknown"]),
    (8, "[register parameter]", "namespace", []),
    (9, "REG", "property", []), (9, "=", "operator", []),
    (9, "0x3008", "number", []), (9, ",", "operator", []),
    (9, "0x82", "number", []),
    (10, "REG", "property", []), (10, "=", "operator", []),
    (10, "-1", "number", []),
    (11, "bad line", "string", ["refused"]),
    (12, "[control parameter]", "namespace", []),
    (13, "STEP", "property", []), (13, "=", "operator", []),
    (13, "4294967297", "number", []),
    (14, "======CODE_BLOCK_START======", "keyword", []),
    (15, "x = 1", "macro", []),
    (16, "======CODE_BLOCK_END======", "keyword", []),
]
check(tokens == expected,
      "tokens:\n  " + "\n  ".join(str(t) for t in tokens if t not in expected)
      + "\n missing:\n  " +
      "\n  ".join(str(t) for t in expected if t not in tokens))
ranged = decode(c.request("textDocument/semanticTokens/range", {
    "textDocument": document,
    "range": {"start": {"line": 9, "character": 0},
              "end": {"line": 10, "character": 0}}})["result"]["data"])
check(ranged == [t for t in expected if t[0] in (9, 10)], "range: %s" % ranged)

folds = sorted((f["startLine"], f["endLine"], f["kind"]) for f in c.request(
    "textDocument/foldingRange", {"textDocument": document})["result"])
check(folds == [(1, 5, "region"), (8, 11, "region"), (12, 16, "region"),
                (14, 16, "region")], "folding: %s" % folds)

hints = c.request("textDocument/inlayHint", {
    "textDocument": document,
    "range": {"start": {"line": 0, "character": 0},
              "end": {"line": 17, "character": 0}}})["result"]
labels = {(h["position"]["line"], h["position"]["character"]): h["label"]
          for h in hints}
check(labels == {(2, 15): "= 54", (4, 13): "= 0x0201",
                 (10, 8): "= 0xFFFFFFFF (low 32 bits)",
                 (13, 17): "= 1 (low 32 bits)"},
      "inlay hints: %s" % labels)

# The sample: every line foldable in its section, and quiet hints.
with open(sample, encoding="utf-8") as f:
    sample_text = f.read()
c.notify("textDocument/didOpen", {"textDocument": {
    "uri": "file:///tmp/sample.cfg", "languageId": "quelmix", "version": 1,
    "text": sample_text}})
sample_doc = {"uri": "file:///tmp/sample.cfg"}
folds = c.request("textDocument/foldingRange",
                  {"textDocument": sample_doc})["result"]
headers = sum(1 for line in sample_text.splitlines() if line.startswith("["))
check(sum(f["kind"] == "region" for f in folds) >= headers,
      "a fold per section of the sample")
lines = sample_text.count("\n")
hints = c.request("textDocument/inlayHint", {
    "textDocument": sample_doc,
    "range": {"start": {"line": 0, "character": 0},
              "end": {"line": lines, "character": 0}}})["result"]
check(len(hints) <= 6, "the sample's hints stay few: %s" % hints)
c.close()

check.finish()
