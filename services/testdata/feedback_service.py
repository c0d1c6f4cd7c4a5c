#!/usr/bin/env python3
"""A loopback stand-in of the feedback service for the client's tests.

Prints its port on the first line of standard output, then serves until killed.
Usage: feedback_service.py [--tls CERT KEY] ANSWERS LOG

Each request is appended to LOG as one JSON line (method, path, headers, body). The answer comes
from ANSWERS, a JSON object the test rewrites at will, read afresh for every request: for each path
an object with "status", "body" (a text) and "delay" (seconds of silence before the answer).
"""
import http.server
import json
import sys
import time

from loopback_server import serve


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        with open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps({"method": self.command, "path": self.path, "body": body.decode("latin-1"),
                                  "headers": {k.lower(): v for k, v in self.headers.items()}}) + "\n")
        with open(self.server.answers_path, encoding="utf-8") as answers:
            answer = json.load(answers).get(self.path, {"status": 404, "body": "no such path"})
        time.sleep(answer.get("delay", 0))
        reply = answer.get("body", "").encode()
        self.send_response(answer.get("status", 200))
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    do_GET = do_PUT = do_POST


def main():
    def configure(server, args):
        server.answers_path, server.log_path = args

    serve(Handler, configure)


if __name__ == "__main__":
    main()
