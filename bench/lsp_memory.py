#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Resident memory of the language server over many edits of a large file.

Usage: lsp_memory.py SERVER GENERATOR [EDITS] [LINES]
Opens a generated file of LINES lines (5,000 by default), sends EDITS full
changes (10,000 by default), each changing one line, waits for each
change's diagnostics, and prints the server's resident set size (VmRSS)
after the first edits and at the end.
"""
import json
import subprocess
import sys

server, generator = sys.argv[1], sys.argv[2]
edits = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
lines = int(sys.argv[4]) if len(sys.argv) > 4 else 5000

text = subprocess.run([generator, str(lines)], capture_output=True,
                      check=True).stdout.decode("latin-1")
proc = subprocess.Popen([server], stdin=subprocess.PIPE, stdout=subprocess.PIPE)


def send(message):
    body = json.dumps(message).encode()
    proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
    proc.stdin.flush()


def receive():
    length = 0
    while True:
        line = proc.stdout.readline()
        if line in (b"\r\n", b""):
            break
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    return json.loads(proc.stdout.read(length))


def rss_kib():
    with open("/proc/%d/status" % proc.pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])


send({"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {}})
receive()
uri = "file:///bench.cfg"
send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
      "params": {"textDocument": {"uri": uri, "languageId": "quelmix",
                                  "version": 1, "text": text}}})
receive()
base = text.split("\n")
samples = {}
for edit in range(1, edits + 1):
    changed = list(base)
    changed[edit % len(base)] = "REG = 0x%04X, 0x%02X" % (edit, edit % 256)
    send({"jsonrpc": "2.0", "method": "textDocument/didChange",
          "params": {"textDocument": {"uri": uri, "version": edit + 1},
                     "contentChanges": [{"text": "\n".join(changed)}]}})
    receive()
    if edit in (10, 100, 1000, edits // 2, edits):
        samples[edit] = rss_kib()
send({"jsonrpc": "2.0", "id": 2, "method": "shutdown"})
receive()
send({"jsonrpc": "2.0", "method": "exit"})
proc.wait()
for edit, kib in sorted(samples.items()):
    print("after %6d edits: VmRSS %6d KiB" % (edit, kib))
