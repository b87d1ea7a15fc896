#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The language server under what real clients and broken pipes send: bad
frames it must resynchronise after, bursts of changes it must answer once,
the client's position encoding and hover format, settings from the editor,
a second initialize, completion far past the end.

Usage: lsp_robustness_test.py SERVER
"""
import json
import os
import select
import subprocess
import sys
import time

server = sys.argv[1]
failures = 0
checks = 0


def check(ok, what):
    global failures, checks
    checks += 1
    if not ok:
        failures += 1
        print("FAILED:", what)


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Client:
    def __init__(self, capabilities=None, options=None):
        self.proc = subprocess.Popen([server], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE)
        self.next_id = 0
        self.pending = b""
        params = {"processId": None, "rootUri": None,
                  "capabilities": capabilities or {}}
        if options is not None:
            params["initializationOptions"] = options
        self.init = self.request("initialize", params)
        self.notify("initialized", {})

    def send_raw(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def send(self, message):
        message["jsonrpc"] = "2.0"
        self.send_raw(frame(message))

    def receive(self, timeout=20):
        deadline = time.time() + timeout
        while True:
            end = self.pending.find(b"\r\n\r\n")
            if end >= 0:
                length = None
                for line in self.pending[:end].split(b"\r\n"):
                    name, _, value = line.decode().partition(":")
                    if name.lower() == "content-length":
                        length = int(value)
                start = end + 4
                if length is not None and len(self.pending) - start >= length:
                    body = self.pending[start:start + length]
                    self.pending = self.pending[start + length:]
                    return json.loads(body)
            left = deadline - time.time()
            if left <= 0:
                return None
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if not ready:
                return None
            chunk = os.read(self.proc.stdout.fileno(), 1 << 16)
            if not chunk:
                return None
            self.pending += chunk

    def request(self, method, params, seen=None):
        self.next_id += 1
        self.send({"id": self.next_id, "method": method, "params": params})
        while True:
            message = self.receive()
            if message is None or message.get("id") == self.next_id:
                return message
            if seen is not None:
                seen.append(message)

    def notify(self, method, params):
        self.send({"method": method, "params": params})

    def notifications(self, method, timeout=2):
        found = []
        while True:
            message = self.receive(timeout)
            if message is None:
                return found
            if message.get("method") == method:
                found.append(message["params"])

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        self.proc.wait(timeout=10)


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
    c = Client()
    open_document(c)
    c.send_raw(data)
    answered = sum(symbols(c) for _ in range(5))
    check(answered == 5, "%s: %d of 5 later requests answered" % (name,
                                                                  answered))
    c.close()

# A message over the limit is dropped with an error the user sees.
c = Client()
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
c = Client()
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
c = Client()
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

# Hover in plain text for a client without markdown.
c = Client({"textDocument": {"hover": {"contentFormat": ["plaintext"]}}})
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
    c = Client({"general": {"positionEncodings": [encoding]}})
    check(c.init["result"]["capabilities"]["positionEncoding"] == encoding,
          "position encoding %s" % encoding)
    open_document(c, "[camera parameter]\n" + long_type + "\n")
    cut = [d for d in c.notifications("textDocument/publishDiagnostics")[-1]
           ["diagnostics"] if d["code"] == "value-cut"]
    check(len(cut) == 1 and cut[0]["range"]["start"]["character"] == start,
          "%s: value cut inside the camera starts at it: %s" % (encoding, cut))
    c.close()

# The checker's options from the editor: at start and when they change.
c = Client(options={"checkerOptions": ["-Wno-value-out-of-range"]})
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

print("%d passed, %d failed" % (checks - failures, failures))
sys.exit(1 if failures else 0)
