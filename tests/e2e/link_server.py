#!/usr/bin/env python3
"""A loopback HTTP server for the end-to-end tests.

  /alive/...      200 with a short body
  /dead/...       404
  /hold/NAME/...  200, once a file NAME exists in HOLD_DIR (or after 30 s)

Usage: link_server.py PORT_FILE LOG_FILE HOLD_DIR
It listens on 127.0.0.1 at a port of the system's choosing, writes that port
to PORT_FILE once it accepts connections, and appends the path of every
request to LOG_FILE as it arrives. It runs until it is killed.

A held answer lets a test look at the program while a probe is in flight for
as long as it needs, and then let the probe end, without guessing delays.
"""

import http.server
import os
import sys
import threading
import time

MAX_HOLD = 30.0
POLL_INTERVAL = 0.05


class LinkHandler(http.server.BaseHTTPRequestHandler):
    log_lock = threading.Lock()
    log_path = ""
    hold_dir = ""

    def do_GET(self):
        self.record()
        parts = [p for p in self.path.split("/") if p]
        kind = parts[0] if parts else ""
        if kind == "alive":
            self.answer(200)
        elif kind == "hold" and len(parts) > 1 and parts[1] not in (".", ".."):
            self.wait_for_release(parts[1])
            self.answer(200)
        else:
            self.answer(404)

    def answer(self, status):
        body = b"orvanta e2e\n"
        try:
            self.send_response(status)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            # The probe hangs up at the first body byte; that is its right.
            pass

    def wait_for_release(self, name):
        release = os.path.join(self.hold_dir, name)
        deadline = time.monotonic() + MAX_HOLD
        while not os.path.exists(release) and time.monotonic() < deadline:
            time.sleep(POLL_INTERVAL)

    def record(self):
        with self.log_lock, open(self.log_path, "a", encoding="utf-8") as log:
            log.write(self.path + "\n")

    def log_message(self, format, *args):
        pass


class QuietServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client that goes away mid-answer is not worth a traceback.
        pass


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    port_file, LinkHandler.log_path, LinkHandler.hold_dir = sys.argv[1:4]
    open(LinkHandler.log_path, "w", encoding="utf-8").close()
    server = QuietServer(("127.0.0.1", 0), LinkHandler)
    # Written under another name first, so a reader never sees half a number.
    partial = port_file + ".part"
    with open(partial, "w", encoding="utf-8") as out:
        out.write(str(server.server_address[1]))
    os.replace(partial, port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
