#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The language server at the protocol's edges: the largest line number a
client can send, a change past the end of a CRLF line, source.fixAll as a
versioned edit when the client takes one, a frame with two Content-Length
headers.

Usage: lsp_edges_test.py SERVER
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
from lsp_client import Client  # noqa: E402

server = sys.argv[1]
check = Checks()
URI = "file:///tmp/edges.cfg"
FRESH = "file:///tmp/fresh.cfg"
LAST = 2 ** 63 - 1


def open_document(c, text, uri=URI, version=1):
    c.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "quelmix", "version": version,
        "text": text}})


def alive(c):
    reply = c.request("textDocument/documentSymbol",
                      {"textDocument": {"uri": URI}})
    return reply is not None and "result" in reply


def at(line, character=0):
    return {"line": line, "character": character}


# Requests at the largest line: answered, nothing there, the server alive.
c = Client(server)
open_document(c, "[camera parameter]\nCFG_MODE = 1\n")
far = [
    ("textDocument/hover", {"position": at(LAST)}),
    ("textDocument/completion", {"position": at(LAST, LAST)}),
    ("textDocument/codeAction", {"range": {"start": at(LAST), "end": at(LAST)},
                                 "context": {"diagnostics": []}}),
    ("textDocument/inlayHint", {"range": {"start": at(0), "end": at(LAST)}}),
    ("textDocument/semanticTokens/range",
     {"range": {"start": at(LAST), "end": at(LAST)}}),
]
for method, params in far:
    params["textDocument"] = {"uri": URI}
    reply = c.request(method, params)
    check(reply is not None and "result" in reply,
          "%s at line 2^63-1: %r" % (method, reply))
    if method == "textDocument/hover" and reply:
        check(reply.get("result") is None,
              "hover at line 2^63-1 shows %r" % reply.get("result"))
check(alive(c), "the server after requests at line 2^63-1")
c.close()

# Changes past the end of a line land before its line ending: the document
# edited in the server publishes what the same text opened fresh does.
cases = [
    # (text, range start, range end, new text, the text it becomes)
    ("[camera parameter]\r\nCFG_MODE = 1\r\n", at(1, 100), at(1, 100), "2",
     "[camera parameter]\r\nCFG_MODE = 12\r\n"),
    ("[camera parameter]\r\nCFG_MODE = 1\r\nX = 1\r\n", at(1, 11), at(1, 99),
     "2 ; c", "[camera parameter]\r\nCFG_MODE = 2 ; c\r\nX = 1\r\n"),
    ("[camera parameter]\r\nCFG_MODE = 1\r\nCFG_MODE = 3\r\n", at(1, 99),
     at(2, 0), " ", "[camera parameter]\r\nCFG_MODE = 1 CFG_MODE = 3\r\n"),
    ("[camera parameter]\r\nCFG_MODE = 1\r\n", at(1, 99), at(1, 99), "",
     "[camera parameter]\r\nCFG_MODE = 1\r\n"),
    ("[camera parameter]\nCFG_MODE = 1\n", at(1, 100), at(1, 100), "2",
     "[camera parameter]\nCFG_MODE = 12\n"),
]
for text, start, end, new, expected in cases:
    c = Client(server, capabilities={"general": {
        "positionEncodings": ["utf-16"]}})
    open_document(c, text)
    c.notify("textDocument/didChange", {
        "textDocument": {"uri": URI, "version": 2},
        "contentChanges": [{"range": {"start": start, "end": end},
                            "text": new}]})
    open_document(c, expected, uri=FRESH)
    published = {}
    for p in c.notifications("textDocument/publishDiagnostics"):
        published[p["uri"]] = p["diagnostics"]
    check(URI in published and published.get(URI) == published.get(FRESH),
          "change %r at %r: %r, fresh %r" % (new, start, published.get(URI),
                                            published.get(FRESH)))
    c.close()

# Fixes as versioned edits when the client takes documentChanges, plain
# changes otherwise; the same whether the edit comes with the action or at
# codeAction/resolve.
RESOLVE = {"codeAction": {"resolveSupport": {"properties": ["edit"]}}}
for offered in (True, False):
    for resolves in (True, False):
        for kind in ("source.fixAll", "quickfix"):
            capabilities = {"workspace": {"workspaceEdit": {
                "documentChanges": offered}}}
            if resolves:
                capabilities["textDocument"] = RESOLVE
            c = Client(server, capabilities=capabilities)
            open_document(c, "[camera parameter]\ncfg_mode = 1\n", version=7)
            reply = c.request("textDocument/codeAction", {
                "textDocument": {"uri": URI},
                "range": {"start": at(0), "end": at(2)},
                "context": {"diagnostics": [], "only": [kind]}})
            actions = (reply or {}).get("result") or [{}]
            action = actions[0]
            if resolves:
                check("edit" not in action and "data" in action,
                      "%s listed for a resolving client: %r" % (kind, action))
                resolved = c.request("codeAction/resolve", action)
                action = (resolved or {}).get("result") or {}
            edit = action.get("edit", {})
            what = "%s, documentChanges %s, resolve %s: %r" % (
                kind, offered, resolves, edit)
            if offered:
                changes = edit.get("documentChanges") or [{}]
                check(len(changes) == 1 and "changes" not in edit
                      and changes[0].get("textDocument")
                      == {"uri": URI, "version": 7}
                      and changes[0].get("edits"), what)
            else:
                check("documentChanges" not in edit
                      and edit.get("changes", {}).get(URI), what)
            c.close()

# A frame with two Content-Length headers is dropped whole: the message
# after it is answered, not swallowed as the body of the larger length.
for lengths in ((8, 300), (300, 8), (8, 8)):
    c = Client(server)
    open_document(c, "[camera parameter]\n")
    c.send_raw(b"Content-Length: %d\r\nContent-Length: %d\r\n\r\n{\"x\": 1}"
               % lengths)
    answered = sum(alive(c) for _ in range(3))
    check(answered == 3, "two Content-Length %r: %d of 3 answered"
          % (lengths, answered))
    c.close()

check.finish()
