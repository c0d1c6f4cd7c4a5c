#!/usr/bin/env python3
"""A loopback stand-in of the update feed for the updater's tests.

Prints its port on the first line of standard output, then serves until killed.
Usage: update_feed.py [--tls CERT KEY] FOLDER

GET /<path> answers the file FOLDER/<path> ("<app key>/appcast.json" and the archives it names),
404 when there is none. The updater always asks past caches: a GET without
"Cache-Control: no-cache" answers 400.
"""
import http.server
import os
import sys
import urllib.parse

from loopback_server import serve


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b""):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.headers.get("Cache-Control") != "no-cache":
            return self.answer(400, b"ask past the caches")
        root = os.path.realpath(self.server.folder)
        relative = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path).lstrip("/")
        path = os.path.realpath(os.path.join(root, relative))
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            return self.answer(404, b"no such file")
        with open(path, "rb") as served:
            self.answer(200, served.read())


def main():
    def configure(server, args):
        server.folder = args[0]

    serve(Handler, configure)


if __name__ == "__main__":
    main()
