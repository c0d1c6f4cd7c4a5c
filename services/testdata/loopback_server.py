"""The serving half of the stand-in services: 127.0.0.1 at a free port, which is printed as the
first line of standard output, over TLS with `--tls CERT KEY` before the stand-in's own arguments.
"""
import http.server
import ssl
import sys


def serve(handler, configure):
    """Serves `handler` until killed; `configure(server, args)` keeps the stand-in's own arguments."""
    args = sys.argv[1:]
    tls = None
    if args[:1] == ["--tls"]:
        tls, args = args[1:3], args[3:]
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    configure(server, args)
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*tls)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()
