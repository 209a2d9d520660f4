#!/usr/bin/env python3
"""Loopback update server for the update tests.

Serves files under ROOT on 127.0.0.1 at a free port, which it prints as the
first line of standard output. A file PATH.mode beside a served path changes
how that path answers: "stall" (headers, then nothing), "silent" (no answer),
"trickle" (one byte every half second), "drip BYTES SECONDS" (a 64 KiB
body promised, then BYTES every SECONDS: fast enough for any stall limit,
too slow to end in time), "endless" (data without end), or
"status NNN" (the file's bytes with that status). A missing file gets a 404
HTML page. Each request is appended to ROOT/requests.log as one JSON line.
The server stops when its standard input closes, and after ten minutes.
"""
import http.server
import json
import os
import sys
import threading
import time

ROOT = os.path.abspath(sys.argv[1])
LIFETIME_SECONDS = 600
SLOW_ANSWER_SECONDS = 60
NOT_FOUND_PAGE = (b"<html><head><title>404 Not Found</title></head>"
                  b"<body><h1>Not Found</h1></body></html>")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self):
        entry = {"path": self.path, "user_agent": self.headers.get("User-Agent"),
                 "content_type": self.headers.get("Content-Type"),
                 "host": self.headers.get("Host")}
        with open(os.path.join(ROOT, "requests.log"), "a") as log:
            log.write(json.dumps(entry) + "\n")

    def send(self, status, body, length=None):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        if body:
            self.wfile.write(body)
            self.wfile.flush()

    def do_GET(self):
        try:
            self.answer()
        except OSError:
            pass  # the client gave up, as the tests of bad servers make it

    def answer(self):
        self.record()
        local = os.path.normpath(os.path.join(ROOT, self.path.lstrip("/")))
        if not local.startswith(ROOT + os.sep):
            self.send(403, b"", 0)
            return
        mode = ""
        if os.path.exists(local + ".mode"):
            with open(local + ".mode") as f:
                mode = f.read().strip()
        body = b""
        if os.path.isfile(local):
            with open(local, "rb") as f:
                body = f.read()
        elif not mode:
            self.send(404, NOT_FOUND_PAGE, len(NOT_FOUND_PAGE))
            return
        deadline = time.monotonic() + SLOW_ANSWER_SECONDS
        if mode == "silent":
            time.sleep(SLOW_ANSWER_SECONDS)
        elif mode == "stall":
            self.send(200, b"", 1000)
            time.sleep(SLOW_ANSWER_SECONDS)
        elif mode == "trickle":
            self.send(200, b"", 100000)
            while time.monotonic() < deadline:
                self.wfile.write(b"x")
                self.wfile.flush()
                time.sleep(0.5)
        elif mode.startswith("drip "):
            size, interval = mode.split()[1:]
            self.send(200, b"", 65536)
            while time.monotonic() < deadline:
                self.wfile.write(b"x" * int(size))
                self.wfile.flush()
                time.sleep(float(interval))
        elif mode == "endless":
            self.send(200, b"")
            block = b"\0" * 65536
            while time.monotonic() < deadline:
                self.wfile.write(block)
        elif mode.startswith("status "):
            self.send(int(mode.split()[1]), body, len(body))
        else:
            self.send(200, body, len(body))


def stop_when_stdin_closes():
    sys.stdin.read()
    os._exit(0)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=stop_when_stdin_closes, daemon=True).start()
    threading.Timer(LIFETIME_SECONDS, lambda: os._exit(0)).start()
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
