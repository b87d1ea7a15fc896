#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The language server under what real clients and broken pipes send: bad
frames it must resynchronise after, bursts of changes it must answer once,
the client's position encoding and hover format, settings from the editor,
a second initialize, completion far past the end.

Usage: lsp_robustness_test.py SERVER
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
from lsp_client import Client, frame  # noqa: E402

server = sys.argv[1]
check = Checks()


URI = "file:///tmp/robust.cfg"
TEXT = "[camera parameter]\nI2C_ADDR = 0x10000\nTYPE = caf\u00e9 \U0001F4F7\n"


def open_document(c, text=TEXT, version=1):
    c.notify("textDocument/didOpen", {"textDocument": {
        "uri": URI, "languageId": "quelmix", "version": version,
        "text": text}})


def symbols(c):
    reply = c.request("textDocument/documentSymbol",
                      {"textDocument": {"uri": URI}})
    return reply is not None and "result" in reply


# A header that makes no sense, followed by its body, must not swallow the
# frames after it: the reader finds the next Content-Length header.
bad_frames = {
    "claims 4 GiB": b"Content-Length: 4294967296\r\n\r\n{\"x\": 1}",
    "11 digits": b"Content-Length: 12345678901\r\n\r\n{\"x\": 1}",
    "negative": b"Content-Length: -5\r\n\r\n{\"x\": 1}",
    "no length": b"Content-Type: x\r\n\r\n{\"jsonrpc\": \"2.0\"}",
    "garbage": b"nonsense without any header end" * 3,
}
for name, data in bad_frames.items():
    c = Client(server)
    open_document(c)
    c.send_raw(data)
    answered = sum(symbols(c) for _ in range(5))
    check(answered == 5, "%s: %d of 5 later requests answered" % (name,
                                                                  answered))
    c.close()

# A message over the limit is dropped with an error the user sees.
c = Client(server)
c.send_raw(b"Content-Length: %d\r\n\r\n" % (65 * 1024 * 1024))
message = c.receive(10)
check(message is not None and message.get("method") == "window/showMessage"
      and message["params"]["type"] == 1 and
      "limit" in message["params"]["message"],
      "an over-limit message is reported: %s" % message)
open_document(c)
check(symbols(c), "and the server goes on")
c.close()

# A burst of changes is analysed once, for its latest version.
c = Client(server)
open_document(c)
c.notifications("textDocument/publishDiagnostics")
burst = b"".join(frame({
    "jsonrpc": "2.0", "method": "textDocument/didChange",
    "params": {"textDocument": {"uri": URI, "version": v},
               "contentChanges": [{"text": "[camera parameter]\nSIZE = %d\n"
                                   % v}]}})
    for v in range(2, 202))
c.send_raw(burst)
published = c.notifications("textDocument/publishDiagnostics")
check(1 <= len(published) <= 3, "%d publications for 200 changes" %
      len(published))
check(published and published[-1].get("version") == 201 and
      published[-1]["diagnostics"][0]["code"] == "wrong-value-count",
      "the last publication is for the latest version")

# Completion far past the end, and the "]" a section name needs.
reply = c.request("textDocument/completion", {
    "textDocument": {"uri": URI},
    "position": {"line": 10**9, "character": 0}})
check(reply is not None and "result" in reply, "completion past the end")
c.notify("textDocument/didChange", {
    "textDocument": {"uri": URI, "version": 300},
    "contentChanges": [{"text": "[cam\n[register parameter]\n"}]})
items = c.request("textDocument/completion", {
    "textDocument": {"uri": URI},
    "position": {"line": 0, "character": 4}})["result"]
edit = [i for i in items if i["label"] == "camera parameter"][0]["textEdit"]
check(edit["newText"] == "camera parameter]" and
      edit["range"]["start"] == {"line": 0, "character": 1},
      "a section completes with its ']': %s" % edit)
again = c.request("initialize", {"capabilities": {}})
check(again.get("error", {}).get("code") == -32600,
      "a second initialize is refused")
c.close()

# Incremental changes, as editors send them: ranges in UTF-16 units.
c = Client(server)
open_document(c)
c.notifications("textDocument/publishDiagnostics")
c.notify("textDocument/didChange", {
    "textDocument": {"uri": URI, "version": 2},
    "contentChanges": [
        {"range": {"start": {"line": 1, "character": 11},
                   "end": {"line": 1, "character": 18}}, "text": "0x36"},
        # after "caf\u00e9 \U0001F4F7": 4 + 1 + 2 units
        {"range": {"start": {"line": 2, "character": 14},
                   "end": {"line": 2, "character": 14}}, "text": ";x"}]})
published = c.notifications("textDocument/publishDiagnostics")[-1]
check(published["version"] == 2 and
      [d["code"] for d in published["diagnostics"]] == ["comment-in-value"],
      "ranged changes applied: %s" % published)
hover = c.request("textDocument/hover", {
    "textDocument": {"uri": URI},
    "position": {"line": 1, "character": 1}})["result"]["contents"]["value"]
check("stores 54 (0x36)" in hover, "the edited value: %s" % hover)
c.close()

# Quick fixes, attached to their diagnostics, and every safe fix at once.
c = Client(server)
check("quickfix" in c.init["result"]["capabilities"]["codeActionProvider"][
    "codeActionKinds"], "code actions advertised")
open_document(c, "[camera parameter]\ncfg_mode = 1\nI2C_ADR = 0x36\n")
actions = c.request("textDocument/codeAction", {
    "textDocument": {"uri": URI},
    "range": {"start": {"line": 1, "character": 0},
              "end": {"line": 2, "character": 3}},
    "context": {"diagnostics": []}})["result"]
titles = {a["title"]: a for a in actions}
case = titles.get("rename to CFG_MODE", {})
check(case.get("isPreferred") is True and case.get("kind") == "quickfix" and
      case["diagnostics"][0]["code"] == "unknown-key" and
      case["edit"]["changes"][URI] == [{
          "range": {"start": {"line": 1, "character": 0},
                    "end": {"line": 1, "character": 8}},
          "newText": "CFG_MODE"}], "a safe quick fix: %s" % case)
near = titles.get("rename to I2C_ADDR", {})
check(near.get("isPreferred") is False, "an unsafe one is not preferred")
every = [a for a in actions if a["kind"] == "source.fixAll"]
check(len(every) == 1 and "CFG_MODE = 1" in
      every[0]["edit"]["changes"][URI][0]["newText"] and "I2C_ADR" in
      every[0]["edit"]["changes"][URI][0]["newText"],
      "fix all applies the safe fixes only")
only = c.request("textDocument/codeAction", {
    "textDocument": {"uri": URI},
    "range": {"start": {"line": 0, "character": 0},
              "end": {"line": 3, "character": 0}},
    "context": {"diagnostics": [], "only": ["source.fixAll"]}})["result"]
check([a["kind"] for a in only] == ["source.fixAll"], "only what is asked")
c.close()

# Hover in plain text for a client without markdown.
c = Client(server, {"textDocument": {"hover": {"contentFormat": ["plaintext"]}}})
open_document(c)
hover = c.request("textDocument/hover", {
    "textDocument": {"uri": URI},
    "position": {"line": 1, "character": 1}})["result"]["contents"]
check(hover["kind"] == "plaintext" and "**" not in hover["value"] and
      "`" not in hover["value"], "plain-text hover: %s" % hover)
c.close()

# UTF-8 positions when the client offers them; UTF-16 otherwise. A range
# that starts inside a 4-byte character starts at the character.
long_type = "TYPE = " + "x" * 47 + "\U0001F4F7" + "y" * 10
for encoding, start in (("utf-8", 56), ("utf-16", 54)):
    c = Client(server, {"general": {"positionEncodings": [encoding]}})
    check(c.init["result"]["capabilities"]["positionEncoding"] == encoding,
          "position encoding %s" % encoding)
    open_document(c, "[camera parameter]\n" + long_type + "\n")
    cut = [d for d in c.notifications("textDocument/publishDiagnostics")[-1]
           ["diagnostics"] if d["code"] == "value-cut"]
    check(len(cut) == 1 and cut[0]["range"]["start"]["character"] == start,
          "%s: value cut inside the camera starts at it: %s" % (encoding, cut))
    c.close()

# The checker's options from the editor: at start and when they change.
c = Client(server, options={"checkerOptions": ["-Wno-value-out-of-range"]})
open_document(c)
codes = [d["code"] for d in
         c.notifications("textDocument/publishDiagnostics")[-1]["diagnostics"]]
check("value-out-of-range" not in codes, "initializationOptions: %s" % codes)
c.notify("workspace/didChangeConfiguration",
         {"settings": {"quelmix": {"checkerOptions": ["-Werror"]}}})
diagnostics = c.notifications("textDocument/publishDiagnostics")[-1][
    "diagnostics"]
check([d["severity"] for d in diagnostics if
       d["code"] == "value-out-of-range"] == [1],
      "didChangeConfiguration republishes: %s" % diagnostics)
c.notify("workspace/didChangeConfiguration",
         {"settings": {"checkerOptions": ["-Wno-such-kind"]}})
shown = c.notifications("window/showMessage")
check(shown and "-Wno-such-kind" in shown[0]["message"],
      "an unknown option is reported: %s" % shown)
c.close()

# Fixes follow the checker's options: a kind switched off offers no quick
# fix and counts in no "Fix all", at start and when the options change.
FIXABLE = "[register parameter]\nREG = 640 #rev B\n"


def actions_for(c):
    return c.request("textDocument/codeAction", {
        "textDocument": {"uri": URI},
        "range": {"start": {"line": 0, "character": 0},
                  "end": {"line": 2, "character": 0}},
        "context": {"diagnostics": []}})["result"]


for options, expected in ((["-Wno-comment-in-value"], []), (["-w"], []),
                          ([], ["quickfix", "source.fixAll"])):
    c = Client(server, options={"checkerOptions": options})
    open_document(c, FIXABLE)
    kinds = sorted(a["kind"] for a in actions_for(c))
    check(kinds == expected, "%s: actions %s" % (options, kinds))
    c.close()
# A quick fix that would move the library's pieces of a long line is not
# offered: removing this suppression would take "REG = 5" away.
START = "; quelmix: ignore[leading-zero] "
c = Client(server)
open_document(c, "[register parameter]\n" + START + "x" * (1023 - len(START)) +
              "REG = 5\nREG = 1\n")
titles = [a["title"] for a in actions_for(c)]
check("remove the suppression" not in titles,
      "no quick fix across the pieces: %s" % titles)
c.close()
c = Client(server)
open_document(c, FIXABLE)
c.notify("workspace/didChangeConfiguration",
         {"settings": {"quelmix": {"checkerOptions": ["-w"]}}})
c.notifications("textDocument/publishDiagnostics")
check(actions_for(c) == [], "after didChangeConfiguration: no fix")
c.close()

check.finish()
