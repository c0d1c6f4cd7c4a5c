#!/usr/bin/env python3
"""A loopback stand-in of the account service for the sign-in's tests.

Prints its port on the first line of standard output, then serves until killed.
Usage: account_service.py [--tls CERT KEY] TOKEN EMAIL

GET /native/authorize?app=&callback=&state= answers 302 to "<callback>?state=<state>&code=<code>";
POST /native/token with {"code": that code, "app": "inkwarden"} answers {"account_token": TOKEN,
"email": EMAIL}, and {"error": ...} for any other code.
"""
import http.server
import json
import sys
import urllib.parse

from loopback_server import serve

CODE = "one-time-code-42"


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path != "/native/authorize" or query.get("app") != ["inkwarden"]:
            return self.answer(404, b"no such page")
        callback = query.get("callback", [""])[0]
        state = query.get("state", [""])[0]
        target = callback + "?" + urllib.parse.urlencode({"state": state, "code": CODE})
        self.answer(302, b"", [("Location", target)])

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        if self.path != "/native/token":
            return self.answer(404, b"no such path")
        try:
            request = json.loads(body)
        except ValueError:
            request = {}
        if request.get("code") == CODE and request.get("app") == "inkwarden":
            reply = {"account_token": self.server.token, "email": self.server.email}
        else:
            reply = {"error": "The code is not valid"}
        self.answer(200, json.dumps(reply).encode(), [("Content-Type", "application/json")])


def main():
    def configure(server, args):
        server.token, server.email = args

    serve(Handler, configure)


if __name__ == "__main__":
    main()
