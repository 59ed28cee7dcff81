"""A stand-in for the user's configured web proxy on 127.0.0.1, in one of four moods:
"refused" (nothing listens on its port), "silent" (takes the request, never answers),
"407" (asks for credentials) or "forward" (relays each request to the server its absolute
URL names, which must be on 127.0.0.1). Every request line it receives is recorded.
"""

import http.client
import socket
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class ProxyStub:
    def __init__(self, mood, hold=30.0):
        self.mood = mood
        self.request_lines = []
        self._stopping = threading.Event()
        self._lock = threading.Lock()
        self.server = None
        if mood == "refused":
            with socket.socket() as probe:  # a port that was free a moment ago
                probe.bind(("127.0.0.1", 0))
                self.port = probe.getsockname()[1]
            return
        proxy = self

        class Handler(BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"
            disable_nagle_algorithm = True

            def do_GET(self):  # noqa: N802 (http.server's naming)
                with proxy._lock:
                    proxy.request_lines.append(self.requestline)
                try:
                    proxy._answer(self, hold)
                except OSError:
                    pass  # the program gave up and closed the connection
                self.close_connection = True

            def log_message(self, *args):
                pass

        self.server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def _answer(self, handler, hold):
        if self.mood == "silent":
            self._stopping.wait(hold)
            return
        if self.mood == "407":
            body = b"proxy credentials required"
            handler.send_response(407)
            handler.send_header("Proxy-Authenticate", 'Basic realm="stub proxy"')
            handler.send_header("Content-Length", str(len(body)))
            handler.end_headers()
            handler.wfile.write(body)
            return
        url = urllib.parse.urlsplit(handler.path)
        if url.hostname != "127.0.0.1":
            handler.send_error(403)  # tests never leave the machine
            return
        origin = http.client.HTTPConnection("127.0.0.1", url.port or 80, timeout=hold)
        try:
            target = url.path + (f"?{url.query}" if url.query else "")
            headers = {k: v for k, v in handler.headers.items()
                       if k.lower() not in ("proxy-connection", "connection")}
            origin.request("GET", target, headers=headers)
            answer = origin.getresponse()
            body = answer.read()
        finally:
            origin.close()
        handler.send_response(answer.status)
        for name, value in answer.getheaders():
            if name.lower() not in ("connection", "transfer-encoding", "content-length"):
                handler.send_header(name, value)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        handler.wfile.write(body)

    def lines(self):
        with self._lock:
            return list(self.request_lines)

    def stop(self):
        self._stopping.set()
        if self.server:
            self.server.shutdown()
            self.server.server_close()
