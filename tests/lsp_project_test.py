#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The language server reads each document's project file (the nearest
quelmix.toml), with the editor's settings over it, and reads it again when
the client says it changed or a document is opened; a bad project file is
said, with its line and column.

Usage: lsp_project_test.py SERVER
"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from checks import Checks  # noqa: E402
from lsp_client import Client  # noqa: E402

server = sys.argv[1]
check = Checks()

TEXT = "[camera parameter]\nI2C_ADR = 1\n[register parameter]\nREG = 1\n"


def kinds(published):
    """(line, kind, severity) of each diagnostic."""
    return sorted((d["range"]["start"]["line"], d["code"], d["severity"])
                  for d in published["diagnostics"])


def last_publication(client):
    found = client.notifications("textDocument/publishDiagnostics")
    return found[-1] if found else {"diagnostics": []}


with tempfile.TemporaryDirectory() as root:
    project = os.path.join(root, "quelmix.toml")
    with open(project, "w") as f:
        f.write('[warnings]\nunknown-key = "off"\n[commands]\nREG = 2\n')
    os.makedirs(os.path.join(root, "odd dir"))
    path = os.path.join(root, "odd dir", "a.cfg")
    uri = "file://" + path.replace(" ", "%20")

    c = Client(server, capabilities={"workspace": {"didChangeWatchedFiles": {
        "dynamicRegistration": True}}})
    registration = c.receive(5)
    check(registration is not None and
          registration.get("method") == "client/registerCapability" and
          "quelmix.toml" in str(registration["params"]),
          "asks the client to watch project files")
    c.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri, "languageId": "quelmix", "version": 1, "text": TEXT}})
    check(kinds(last_publication(c)) == [(3, "command-rule", 2)],
          "the project's choices and rules apply")

    with open(project, "w") as f:
        f.write('[warnings]\nunknown-key = "error"\n')
    c.notify("workspace/didChangeWatchedFiles", {"changes": [
        {"uri": "file://" + project, "type": 2}]})
    check(kinds(last_publication(c)) == [(1, "unknown-key", 1)],
          "a changed project file is read again")

    c.notify("workspace/didChangeConfiguration", {"settings": {
        "quelmix": {"checkerOptions": ["-Wno-error=unknown-key"]}}})
    check(kinds(last_publication(c)) == [(1, "unknown-key", 2)],
          "the editor's settings go over the project's")

    # Changed while nothing said so: the next document opened reads it.
    with open(project, "w") as f:
        f.write('[warnings]\nunknown-key = "off"\n[commands]\nREG = 3\n')
    c.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri + "3", "languageId": "quelmix", "version": 1,
        "text": TEXT}})
    published = last_publication(c)
    check(published.get("uri") == uri + "3" and
          kinds(published) == [(3, "command-rule", 2)],
          "an opened document reads the project file again")

    with open(project, "w") as f:
        f.write('[warnings]\nunknown-key = "of"\n')
    c.notify("textDocument/didOpen", {"textDocument": {
        "uri": uri + "2", "languageId": "quelmix", "version": 1,
        "text": TEXT}})
    messages = c.notifications("window/showMessage")
    check(any(project + ":2:15: error: " in m["message"] for m in messages),
          "a bad project file is said with its place")
    c.close()

    # A client that cannot watch files is asked nothing.
    c = Client(server)
    check(c.receive(1) is None, "no registration without the capability")
    c.close()

check.finish()
