# SPDX-License-Identifier: MIT
"""A small Language Server Protocol client for the tests: frames, requests
answered by id (notifications kept aside), notifications waited for with a
timeout."""
import json
import os
import select
import subprocess
import time


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Client:
    """The server over its pipes, initialized with `capabilities` and
    `options` (initializationOptions)."""

    def __init__(self, server, capabilities=None, options=None):
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
