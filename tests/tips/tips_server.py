#!/usr/bin/env python3
"""A stand-in for the tips service (and for a proxy in front of it) on 127.0.0.1.

Prints the port it listens on as the first line of its output, then serves every
GET with the given body and status. Each request is appended to the log as one JSON
line: the request target as sent (an absolute address when it came as to a proxy)
and its headers. With --hang it reads the request and never answers.
"""
import argparse
import json
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--body", help="file whose bytes are the response body")
    parser.add_argument("--status", type=int, default=200)
    parser.add_argument("--log", help="file to append one JSON line per request to")
    parser.add_argument("--hang", action="store_true", help="never answer")
    args = parser.parse_args()

    body = b""
    if args.body:
        with open(args.body, "rb") as f:
            body = f.read()
    log_lock = threading.Lock()

    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *unused):
            pass

        def do_GET(self):
            if args.log:
                entry = {"target": self.path, "headers": dict(self.headers.items())}
                with log_lock, open(args.log, "a") as f:
                    f.write(json.dumps(entry) + "\n")
            if args.hang:
                while True:
                    time.sleep(3600)
            self.send_response(args.status)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                self.wfile.write(body)
            except (BrokenPipeError, ConnectionResetError):
                pass

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    sys.stdout.close()
    server.serve_forever()


if __name__ == "__main__":
    main()
