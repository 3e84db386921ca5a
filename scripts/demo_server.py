#!/usr/bin/env python3
"""Serves one file on 127.0.0.1 slowly enough that the updater's progress can be watched.

Usage: demo_server.py FILE PORT_FILE [SECONDS]
Writes the chosen port to PORT_FILE, answers GET requests for any path with FILE spread over
about SECONDS, and stops by itself after 120 seconds.
"""
import http.server
import os
import sys
import threading
import time


def main():
    path, port_file = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 4.0
    with open(path, "rb") as f:
        body = f.read()
    pieces = 40
    piece = max(1, len(body) // pieces + 1)

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            for start in range(0, len(body), piece):
                self.wfile.write(body[start:start + piece])
                self.wfile.flush()
                time.sleep(seconds / pieces)

        def log_message(self, fmt, *args):
            sys.stderr.write("server: " + (fmt % args) + "\n")

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    threading.Timer(120, server.shutdown).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
