#!/usr/bin/env python3
"""A loopback stand-in of the contract-library service for the client's tests.

Prints its port on the first line of standard output, then serves until killed.
Usage: oakrune_service.py [--tls CERT KEY] ANSWERS LOG

ANSWERS is a JSON file, read again for every request:
  {"token": "<the bearer token the library endpoints expect>",
   "answers": {"<METHOD> <path>": {"status": 200, "body": <JSON value or text>,
                                   "bytes": <send this many bytes instead>,
                                   "stall": <seconds to wait before answering>}}}
Only POST /api/pair/claim, GET /api/library/actions, GET /api/library/<id>/file and
POST /api/library/import are served; the last three answer 401 without "Authorization: Bearer
<token>". Each request is appended to LOG as one JSON line {"method", "path", "headers", "body"};
a stalled request whose client hangs up adds {"closed": "<path>"}.
"""
import http.server
import json
import re
import select
import socket
import sys
import time

from loopback_server import serve

ROUTES = [
    ("POST", re.compile(r"^/api/pair/claim$"), False),
    ("GET", re.compile(r"^/api/library/actions$"), True),
    ("GET", re.compile(r"^/api/library/[^/]+/file$"), True),
    ("POST", re.compile(r"^/api/library/import$"), True),
]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, entry):
        with open(self.server.log, "a") as log:
            log.write(json.dumps(entry) + "\n")

    def answer(self, status, body=b""):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def wait_for_hangup(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            readable, _, _ = select.select([self.connection], [], [], 0.05)
            if readable and self.connection.recv(1, socket.MSG_PEEK) == b"":
                self.record({"closed": self.path})
                return True
        return False

    def serve(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("utf-8", "replace") if length else ""
        self.record({"method": self.command, "path": self.path, "headers": dict(self.headers.items()), "body": body})
        with open(self.server.answers) as answers_file:
            script = json.load(answers_file)
        route = next((r for r in ROUTES if r[0] == self.command and r[1].match(self.path)), None)
        if route is None:
            return self.answer(404, b'{"error": "no such endpoint"}')
        if route[2] and self.headers.get("Authorization") != "Bearer " + script.get("token", ""):
            return self.answer(401, b'{"error": "unauthorized"}')
        scripted = script.get("answers", {}).get(self.command + " " + self.path)
        if scripted is None:
            return self.answer(404, b'{"error": "nothing scripted"}')
        if scripted.get("stall") and self.wait_for_hangup(scripted["stall"]):
            return
        if "bytes" in scripted:
            total = scripted["bytes"]
            self.send_response(scripted.get("status", 200))
            self.send_header("Content-Length", str(total))
            self.end_headers()
            try:
                chunk = b"x" * 65536
                for _ in range(0, total, len(chunk)):
                    self.wfile.write(chunk)
            except OSError:
                self.close_connection = True
            return
        reply = scripted.get("body", "")
        data = reply if isinstance(reply, str) else json.dumps(reply)
        self.answer(scripted.get("status", 200), data.encode("utf-8"))

    do_GET = serve
    do_POST = serve


def main():
    def configure(server, args):
        server.answers, server.log = args[0], args[1]

    serve(Handler, configure)


if __name__ == "__main__":
    main()
