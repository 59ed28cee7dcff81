"""A scriptable HTTP server on 127.0.0.1 that stands in for the vendor's services in tests.

Every request is recorded (raw path and query as received, headers). Answers are chosen by
route: the longest registered path prefix that matches wins. A route is a Reply, or a
callable taking the Request and returning a Reply.
"""

import socket
import threading
import time
from dataclasses import dataclass, field
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from contract import STAGE_PATH

BLANK_GIF = bytes.fromhex(
    "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b")
# A logged field keeps to its line and to its place between tabs.
LOG_ESCAPES = str.maketrans({"\\": "\\\\", "\t": "\\t", "\r": "\\r", "\n": "\\n"})


@dataclass
class Request:
    path: str  # path and query exactly as received
    headers: dict
    at: float

    @property
    def route(self):
        return self.path.split("?", 1)[0]

    def log_line(self):
        """The path, then "name:value" for each header (names in lower case), tab-separated;
        backslash, tab, CR and LF in them written as backslash escapes."""
        fields = [self.path] + [f"{name.lower()}:{value}" for name, value in self.headers.items()]
        return "\t".join(field.translate(LOG_ESCAPES) for field in fields)


@dataclass
class Reply:
    status: int = 200
    body: bytes = b""
    headers: dict = field(default_factory=dict)
    # Close the connection after this many body bytes, announcing the full length.
    cut_after: int | None = None
    delay: float = 0.0
    # A misbehaving server, held for at most `hold` seconds: "silent" reads the request and
    # never answers, "stall" sends the headers and a little of the body, then nothing,
    # "drip" sends the body a byte a second, "huge" streams `size` bytes as fast as taken.
    fault: str | None = None
    hold: float = 40.0
    size: int = 0


def xml(text, status=200):
    return Reply(status, text.encode("utf-8"), {"Content-Type": "text/xml"})


class VendorStub:
    def __init__(self, port=0, log_path=None):
        self.routes = {}
        self.requests = []
        self._stopping = threading.Event()
        self._lock = threading.Lock()
        self._log_path = log_path
        self.default_routes()
        stub = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            # Headers and body leave in separate writes: with Nagle on, the body waits for
            # the client's delayed acknowledgement, some 40 ms on every answer.
            disable_nagle_algorithm = True

            def do_GET(self):  # noqa: N802 (http.server's naming)
                stub._record(self)
                stub._answer(self)

            def log_message(self, *args):
                pass

        ThreadingHTTPServer.allow_reuse_address = True
        self.server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        self._thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    # -- routes ------------------------------------------------------------------
    def default_routes(self):
        self.routes = {
            "/web/blank.gif": Reply(200, BLANK_GIF, {"Content-Type": "image/gif"}),
            STAGE_PATH: Reply(200, b"ok", {"Content-Type": "text/plain"}),
        }

    def route(self, prefix, reply):
        with self._lock:
            self.routes[prefix] = reply

    def _pick(self, request):
        with self._lock:
            matches = [p for p in self.routes if request.route.startswith(p)]
            if not matches:
                return Reply(404, b"not found")
            reply = self.routes[max(matches, key=len)]
        return reply(request) if callable(reply) else reply

    # -- serving -----------------------------------------------------------------
    def _record(self, handler):
        request = Request(handler.path, {k: v for k, v in handler.headers.items()}, time.time())
        handler.nimbelle_request = request
        with self._lock:
            self.requests.append(request)
            if self._log_path:
                # Latin-1, as the server decoded them: every byte of the wire comes back as is.
                with open(self._log_path, "a", encoding="latin-1") as log:
                    log.write(request.log_line() + "\n")

    def _answer(self, handler):
        reply = self._pick(handler.nimbelle_request)
        if reply.fault:
            try:
                self._misbehave(handler, reply)
            except OSError:
                pass  # the program gave up and closed the connection
            handler.close_connection = True
            return
        if reply.delay:
            time.sleep(reply.delay)
        handler.send_response(reply.status)
        for name, value in reply.headers.items():
            handler.send_header(name, value)
        handler.send_header("Content-Length", str(len(reply.body)))
        if reply.cut_after is not None:
            handler.send_header("Connection", "close")
        handler.end_headers()
        if reply.cut_after is None:
            handler.wfile.write(reply.body)
            return
        handler.wfile.write(reply.body[:reply.cut_after])
        handler.wfile.flush()
        handler.close_connection = True
        handler.connection.shutdown(socket.SHUT_RDWR)

    def _misbehave(self, handler, reply):
        out, until = handler.wfile, time.time() + reply.hold
        if reply.fault == "silent":
            self._stopping.wait(reply.hold)
            return
        length = reply.size if reply.fault == "huge" else max(len(reply.body), 1000)
        out.write(f"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n"
                  f"Content-Length: {length}\r\n\r\n".encode())
        if reply.fault == "stall":
            out.write(reply.body[:10])
            out.flush()
            self._stopping.wait(reply.hold)
        elif reply.fault == "drip":
            for byte in reply.body or b"x" * length:
                out.write(bytes([byte]))
                out.flush()
                if self._stopping.wait(1.0) or time.time() > until:
                    return
        elif reply.fault == "huge":
            chunk, sent = b"<!-- " + b"h" * 65526 + b" -->", 0
            while sent < length and time.time() < until and not self._stopping.is_set():
                out.write(chunk[:length - sent])
                sent += len(chunk)

    # -- life --------------------------------------------------------------------
    def start(self):
        self._thread.start()
        return self

    def stop(self):
        self._stopping.set()
        self.server.shutdown()
        self.server.server_close()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def paths(self):
        with self._lock:
            return [r.path for r in self.requests]

    def clear(self):
        with self._lock:
            self.requests.clear()
