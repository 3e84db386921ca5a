#!/usr/bin/env python3
"""Serves a folder over HTTPS on 127.0.0.1 for the demo's feed check.

Usage: demo_feed_server.py FOLDER CERT KEY PORT_FILE
Writes the chosen port to PORT_FILE, answers GET requests with the files of FOLDER (404 for
anything else), and stops by itself after 120 seconds.
"""
import http.server
import os
import ssl
import sys
import threading


def main():
    folder, cert, key, port_file = sys.argv[1:5]

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            path = os.path.join(folder, os.path.basename(self.path))
            if not os.path.isfile(path):
                self.send_error(404)
                return
            with open(path, "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, fmt, *args):
            sys.stderr.write("%s\n" % (fmt % args))

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Timer(120, server.shutdown).start()
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
