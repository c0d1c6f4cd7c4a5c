#!/usr/bin/env python3
"""A loopback HTTP server for the HTTP client's tests.

Prints its port on the first line of standard output, then serves until killed.
Usage: loopback_server.py [--tls CERT KEY]
"""
import http.server
import json
import ssl
import sys
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def query(self):
        return dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query))

    def send(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_any(self):
        path = urllib.parse.urlsplit(self.path).path
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        q = self.query()
        if path == "/echo":
            answer = {"method": self.command, "path": self.path, "body": body.decode("latin-1"),
                      "headers": {k.lower(): v for k, v in self.headers.items()}}
            self.send(200, json.dumps(answer).encode(), [("Content-Type", "application/json")])
        elif path.startswith("/status/"):
            self.send(int(path.rsplit("/", 1)[1]), q.get("body", "").encode(),
                      [("X-Test", "one"), ("X-Test", "two")])
        elif path == "/large":
            size = int(q["bytes"])
            pattern = bytes(range(256))
            self.send(200, (pattern * (size // 256 + 1))[:size])
        elif path == "/chunked":
            # The body without an announced length, in chunks of 1000 bytes.
            size = int(q["bytes"])
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            while size > 0:
                piece = min(size, 1000)
                self.wfile.write(b"%x\r\n%s\r\n" % (piece, b"c" * piece))
                size -= piece
            self.wfile.write(b"0\r\n\r\n")
        elif path == "/redirect":
            self.send(int(q.get("code", "302")), b"", [("Location", q["to"])])
        elif path == "/stall":
            # Headers and part of the body, then silence.
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.write(b"partial")
            self.wfile.flush()
            time.sleep(60)
        elif path == "/drip":
            # One byte every interval: never idle, but slow overall.
            count = int(q.get("bytes", "50"))
            self.send_response(200)
            self.send_header("Content-Length", str(count))
            self.end_headers()
            for _ in range(count):
                self.wfile.write(b".")
                self.wfile.flush()
                time.sleep(float(q.get("interval", "0.05")))
        else:
            self.send(404, b"no such path")

    do_GET = do_POST = do_PUT = do_DELETE = do_PATCH = handle_any

    def do_HEAD(self):
        self.send_response(200)
        self.send_header("Content-Length", "1234")
        self.end_headers()


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if len(sys.argv) == 4 and sys.argv[1] == "--tls":
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
