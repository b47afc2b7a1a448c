"""A small scripted LSP client: starts the server and speaks JSON-RPC to it over pipes."""
import json
import os
import select
import subprocess


class Client:
    def __init__(self, server, timeout=30):
        self.proc = subprocess.Popen([server], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.timeout = timeout
        self.buffer = bytearray()  # grows in place: a big answer must not take quadratic time
        self.next_id = 0
        self.notifications = []

    def send_raw(self, data):
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def send(self, message):
        body = json.dumps(message).encode()
        self.send_raw(b"Content-Length: %d\r\n\r\n" % len(body) + body)

    def _fill(self):
        ready, _, _ = select.select([self.proc.stdout], [], [], self.timeout)
        if not ready:
            raise TimeoutError("no answer from the server")
        chunk = os.read(self.proc.stdout.fileno(), 1 << 16)
        if not chunk:
            raise EOFError("the server closed its output")
        self.buffer += chunk

    def _read_exact(self, size):
        while len(self.buffer) < size:
            self._fill()
        data = bytes(self.buffer[:size])
        del self.buffer[:size]
        return data

    def read(self):
        """The next message; the header must be exactly Content-Length and a blank line."""
        while b"\r\n\r\n" not in self.buffer:
            self._fill()
        end = self.buffer.index(b"\r\n\r\n")
        header = bytes(self.buffer[:end])
        del self.buffer[:end + 4]
        name, value = header.split(b":")
        assert name == b"Content-Length", header
        return json.loads(self._read_exact(int(value)))

    def notify(self, method, params=None):
        self.send({"jsonrpc": "2.0", "method": method, "params": params or {}})

    def request(self, method, params=None):
        """The response to a new request; notifications on the way are kept."""
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method,
                   "params": params if params is not None else {}})
        return self.response(self.next_id)

    def response(self, request_id):
        while True:
            message = self.read()
            if "method" not in message and message.get("id") == request_id:
                return message
            self.notifications.append(message)

    def diagnostics(self, uri):
        """The next diagnostics published for `uri`."""
        while True:
            message = self.notifications.pop(0) if self.notifications else self.read()
            if (message.get("method") == "textDocument/publishDiagnostics"
                    and message["params"]["uri"] == uri):
                return message["params"]["diagnostics"]

    def initialize(self, capabilities=None):
        result = self.request("initialize", {"processId": None, "rootUri": None,
                                             "capabilities": capabilities or {}})
        self.notify("initialized")
        return result["result"]

    def open(self, uri, text, version=1):
        self.notify("textDocument/didOpen", {"textDocument": {
            "uri": uri, "languageId": "azuvel", "version": version, "text": text}})
        return self.diagnostics(uri)

    def change(self, uri, text, version):
        self.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": version},
                                               "contentChanges": [{"text": text}]})
        return self.diagnostics(uri)

    def at(self, method, uri, line, character, **extra):
        params = {"textDocument": {"uri": uri}, "position": {"line": line, "character": character}}
        params.update(extra)
        return self.request(method, params)["result"]

    def finish(self):
        """shutdown and exit; the exit status."""
        self.request("shutdown")
        self.notify("exit")
        return self.close()

    def close(self):
        self.proc.stdin.close()
        status = self.proc.wait(self.timeout)
        self.stderr = self.proc.stderr.read().decode(errors="replace")
        self.proc.stdout.close()
        self.proc.stderr.close()
        return status
