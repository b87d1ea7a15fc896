#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The language server alone, over its pipes: every request it answers and
every notification it sends, malformed messages, shutdown and exit.

Usage: lsp_protocol_test.py SERVER
"""
import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402

server = sys.argv[1]
check = Checks()


class Client:
    def __init__(self):
        self.proc = subprocess.Popen([server], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE)
        self.next_id = 0
        self.notifications = []

    def send_raw(self, body):
        self.proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.proc.stdin.flush()

    def send(self, message):
        message["jsonrpc"] = "2.0"
        self.send_raw(json.dumps(message).encode())

    def receive(self):
        length = None
        while True:
            line = self.proc.stdout.readline()
            if line in (b"\r\n", b""):
                break
            name, _, value = line.decode().partition(":")
            if name.lower() == "content-length":
                length = int(value)
        return json.loads(self.proc.stdout.read(length))

    def request(self, method, params):
        self.next_id += 1
        self.send({"id": self.next_id, "method": method, "params": params})
        while True:
            message = self.receive()
            if message.get("id") == self.next_id:
                return message
            self.notifications.append(message)

    def notify(self, method, params):
        self.send({"method": method, "params": params})

    def diagnostics(self):
        while True:
            message = self.receive()
            if message.get("method") == "textDocument/publishDiagnostics":
                return message["params"]


URI = "file:///tmp/camera.cfg"
TEXT = ("[camera parameter]\n"
        "I2C_ADDR = 0x10000\n"
        "TYPE = caf\u00e9 \U0001F4F7 # rev B\n"
        "[register parameter]\n"
        "REG=0x3008,0x82\n"
        "bad line\n"
        "[control parameter]\n"
        "CTRL_NAME = Brightness\n")

c = Client()
early = c.request("textDocument/hover", {})
check(early.get("error", {}).get("code") == -32002, "refused before initialize")
init = c.request("initialize", {"processId": None, "rootUri": None,
                                "capabilities": {}})
caps = init["result"]["capabilities"]
check(caps["textDocumentSync"]["change"] == 2 and caps["hoverProvider"] and
      caps["documentFormattingProvider"] and caps["documentSymbolProvider"],
      "capabilities")
c.notify("initialized", {})
c.notify("textDocument/didOpen", {"textDocument": {
    "uri": URI, "languageId": "quelmix", "version": 1, "text": TEXT}})
published = c.diagnostics()
found = [(d["range"]["start"]["line"], d["range"]["start"]["character"],
          d["severity"], d["code"]) for d in published["diagnostics"]]
check(found == [(1, 11, 2, "value-out-of-range"),
                (2, 15, 2, "comment-in-value"),
                (5, 0, 1, "missing-separator")], "diagnostics %s" % found)
check(all(d["source"] == "quelmix" for d in published["diagnostics"]),
      "source")
# "café 📷 # rev B": é is one UTF-16 unit, the camera two.
comment = published["diagnostics"][1]["range"]
check(comment["end"] == {"line": 2, "character": 16}, "UTF-16 range end")

hover = c.request("textDocument/hover", {"textDocument": {"uri": URI},
                                         "position": {"line": 1,
                                                      "character": 2}})
text = hover["result"]["contents"]["value"]
check("i2c_addr" in text and "16-bit" in text and "stores 0." in text,
      "key hover says what is stored: %s" % text)
hover = c.request("textDocument/hover", {"textDocument": {"uri": URI},
                                         "position": {"line": 3,
                                                      "character": 3}})
check("0x3000000" in hover["result"]["contents"]["value"], "section hover")
hover = c.request("textDocument/hover", {"textDocument": {"uri": URI},
                                         "position": {"line": 4,
                                                      "character": 1}})
check("stores 2 values: 0x3008, 0x82" in hover["result"]["contents"]["value"],
      "command hover reads the values")

def labels(line, character):
    reply = c.request("textDocument/completion", {
        "textDocument": {"uri": URI},
        "position": {"line": line, "character": character}})
    return [item["label"] for item in reply["result"]]

check("board parameter||dev3||inf2" in labels(3, 1), "section completion")
check(labels(4, 0) == ["REG", "DELAY", "VRCMD"], "command keys")
control = labels(7, 0)
check("CTRL_NAME" in control and "======CODE_BLOCK_START======" in control,
      "control keys and markers")
check(labels(4, 5) == [], "nothing after the key")

symbols = c.request("textDocument/documentSymbol",
                    {"textDocument": {"uri": URI}})["result"]
check([(s["name"], s["detail"]) for s in symbols] ==
      [("camera parameter", "camera"), ("register parameter", "1 command"),
       ("Brightness", "control parameter")], "symbols %s" % symbols)

edits = c.request("textDocument/formatting",
                  {"textDocument": {"uri": URI},
                   "options": {"tabSize": 2, "insertSpaces": True}})["result"]
check(len(edits) == 1 and "REG = 0x3008, 0x82\n" in edits[0]["newText"],
      "formatting")

c.notify("textDocument/didChange", {
    "textDocument": {"uri": URI, "version": 2},
    "contentChanges": [{"text": "[camera parameter]\nSIZE = 1, 2\n"}]})
check(c.diagnostics()["diagnostics"] == [], "a change clears diagnostics")

# Malformed messages get errors, and the server goes on.
c.send_raw(b"{not json")
check(c.receive()["error"]["code"] == -32700, "parse error")
c.send_raw(b"[1, 2]")
check(c.receive()["error"]["code"] == -32600, "invalid request")
check(c.request("no/such/method", {})["error"]["code"] == -32601,
      "unknown method")
check(c.request("textDocument/hover", {"textDocument": 5})["error"]["code"] ==
      -32602, "invalid params")
c.proc.stdin.write(b"Content-Length: nonsense\r\n\r\n")
check(c.request("textDocument/documentSymbol",
                {"textDocument": {"uri": URI}}).get("result") is not None,
      "still answering after a bad frame")

check(c.request("shutdown", None).get("result", 1) is None, "shutdown")
c.notify("exit", None)
check(c.proc.wait(timeout=10) == 0, "exit status 0 after shutdown")

check.finish()
