#!/usr/bin/env python3
"""Stand-in for the maker's web server, for the update check's Windows tests.

The tests point Wine's WinInet at it as the HTTP proxy, so the product's own
address reaches it unchanged. What it answers is set by the test through
control requests made directly (not through the proxy):

  POST /__control?status=N&delay=S   the next answers: status N, after S
                                     seconds, with the request body as body;
                                     also clears the log unless keeplog=1;
                                     with stall=T, the first half of the
                                     body comes at once and the rest T
                                     seconds later; with hold=answer
                                     the answers wait for a release
                                     before anything is sent, with
                                     hold=body halfway through the body.
                                     Answers held already stay held
  POST /__release                    lets every held answer go on, and
                                     those of later requests until the
                                     next /__control with a hold
  GET  /__log                        one line per answered request:
                                     "path<TAB>user agent<TAB>done", done
                                     being 0, p (part of the body sent) or 1
  GET  /__shutdown                   ends the server

Every other request is an answer to the product.

  update_server.py start PORTFILE    starts a server in the background and
                                     returns once PORTFILE holds
                                     "port closedport pid"
  update_server.py stop PORTFILE     stops it and removes PORTFILE

closedport is a port the server holds bound but never listens on, so that a
connection to it is refused. The server ends by itself when the process
that started it (ctest) is gone, or after a time limit.
"""

import http.server
import os
import socket
import subprocess
import sys
import threading
import time
import urllib.parse
import urllib.request

TIME_LIMIT = 30 * 60
HOLD_LIMIT = 120


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.status = 404
        self.delay = 0.0
        self.stall = 0.0
        self.body = b""
        self.hold = ""  # "", "answer" or "body"
        self.released = threading.Event()
        self.log = []  # [path, agent, done]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, status, body, content_type="text/plain", stall=0.0, part_sent=None, held=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if stall > 0 or held:
            half = len(body) // 2
            self.wfile.write(body[:half])
            self.wfile.flush()
            if part_sent:
                part_sent()
            if held:
                held()
            else:
                time.sleep(stall)
            body = body[half:]
        self.wfile.write(body)

    def do_GET(self):
        state = self.server.state
        if self.path == "/__log":
            with state.lock:
                lines = ["%s\t%s\t%s" % (p, a, d) for p, a, d in state.log]
            self.reply(200, ("\n".join(lines) + "\n" if lines else "").encode("utf-8"))
        elif self.path == "/__shutdown":
            self.reply(200, b"bye\n")
            threading.Thread(target=self.server.shutdown, daemon=True).start()
        elif self.path.startswith("/__"):
            self.reply(400, b"unknown control\n")
        else:
            self.answer_product()

    def do_POST(self):
        state = self.server.state
        url = urllib.parse.urlsplit(self.path)
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        if url.path == "/__release":
            with state.lock:
                state.released.set()
            self.reply(200, b"ok\n")
            return
        if url.path != "/__control":
            self.reply(400, b"unknown control\n")
            return
        query = urllib.parse.parse_qs(url.query)
        hold = query.get("hold", [""])[0]
        if hold not in ("", "answer", "body"):
            self.reply(400, b"hold is answer or body\n")
            return
        with state.lock:
            state.hold = hold
            if hold:
                state.released.clear()
            state.status = int(query.get("status", ["200"])[0])
            state.delay = float(query.get("delay", ["0"])[0])
            state.stall = float(query.get("stall", ["0"])[0])
            state.body = body
            if query.get("keeplog", ["0"])[0] != "1":
                state.log = []
        self.reply(200, b"ok\n")

    def answer_product(self):
        state = self.server.state
        with state.lock:
            entry = [self.path, self.headers.get("User-Agent", ""), "0"]
            state.log.append(entry)
            status, delay, stall, body = state.status, state.delay, state.stall, state.body
            hold, released = state.hold, state.released

        def wait_for_release():
            # Bounded only against a test that never releases.
            released.wait(HOLD_LIMIT)

        if hold == "answer":
            wait_for_release()
        if delay > 0:
            time.sleep(delay)

        def part_sent():
            with state.lock:
                entry[2] = "p"

        try:
            self.reply(status, body, "text/html" if status != 200 else "text/plain", stall, part_sent,
                       wait_for_release if hold == "body" else None)
        finally:
            with state.lock:
                entry[2] = "1"


def serve(port_file, watch_pid):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.state = State()
    closed = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    closed.bind(("127.0.0.1", 0))  # bound, never listening: connections are refused

    def watchdog():
        start = time.monotonic()
        while time.monotonic() - start < TIME_LIMIT:
            time.sleep(1)
            if watch_pid and not os.path.exists("/proc/%d" % watch_pid):
                break
        server.shutdown()

    threading.Thread(target=watchdog, daemon=True).start()
    temporary = port_file + ".part"
    with open(temporary, "w") as f:
        f.write("%d %d %d\n" % (server.server_address[1], closed.getsockname()[1], os.getpid()))
    os.replace(temporary, port_file)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        closed.close()
        try:
            with open(port_file) as f:
                mine = f.read().split()[2] == str(os.getpid())
            if mine:
                os.remove(port_file)
        except (OSError, IndexError):
            pass


def read_port_file(port_file):
    try:
        with open(port_file) as f:
            port, _closed, pid = (int(x) for x in f.read().split())
        return port, pid
    except (OSError, ValueError):
        return None, None


def start(port_file):
    stop(port_file)
    log = open(port_file + ".log", "w")
    subprocess.Popen(
        [sys.executable, os.path.abspath(__file__), "serve", port_file, str(os.getppid())],
        stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True, close_fds=True)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        port, _pid = read_port_file(port_file)
        if port:
            print("update server listening on 127.0.0.1:%d" % port)
            return 0
        time.sleep(0.1)
    print("update server did not start", file=sys.stderr)
    return 1


def stop(port_file):
    port, pid = read_port_file(port_file)
    if port:
        try:
            urllib.request.build_opener(urllib.request.ProxyHandler({})).open(
                "http://127.0.0.1:%d/__shutdown" % port, timeout=5).read()
        except OSError:
            pass
        deadline = time.monotonic() + 5
        while pid and os.path.exists("/proc/%d" % pid) and time.monotonic() < deadline:
            time.sleep(0.1)
    for name in (port_file, port_file + ".part"):
        try:
            os.remove(name)
        except OSError:
            pass
    return 0


def main(argv):
    if len(argv) >= 3 and argv[1] == "start":
        return start(argv[2])
    if len(argv) >= 3 and argv[1] == "stop":
        return stop(argv[2])
    if len(argv) >= 3 and argv[1] == "serve":
        serve(argv[2], int(argv[3]) if len(argv) > 3 else 0)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
