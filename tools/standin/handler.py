"""HTTP handling: the service's routes on top of http.server."""

import re
from http.server import BaseHTTPRequestHandler

import replies
import targets

_DETAIL = re.compile(r"/weather/local/([^/]+)/?")
_STAGE = re.compile(r"/5/([^/]+)/?")


class Handler(BaseHTTPRequestHandler):
    """Serves one connection; the server object carries .directory and .request_log."""

    protocol_version = "HTTP/1.1"
    timeout = 30  # idle keep-alive connections must not pin a thread forever
    # Headers and body leave in separate writes; with Nagle on, the body waits
    # for the client's delayed ACK and every answer takes 40 ms longer.
    disable_nagle_algorithm = True

    def version_string(self):
        return "standin/1.0"

    def parse_request(self):
        # A raw blank in the target splits the request line into more than three
        # words, which http.server refuses; keep the raw target and hand it an
        # escaped one instead.
        self.raw_target = None
        line = str(self.raw_requestline, "iso-8859-1").rstrip("\r\n")
        words = line.split(" ")
        if len(words) > 3 and words[-1].startswith("HTTP/"):
            self.raw_target = " ".join(words[1:-1])
            escaped = self.raw_target.replace(" ", "%20")
            self.raw_requestline = f"{words[0]} {escaped} {words[-1]}\r\n".encode("iso-8859-1")
        ok = super().parse_request()
        if self.raw_target is None:
            # An unreadable request line is logged whole.
            self.raw_target = getattr(self, "path", None) or line
        return ok

    def do_GET(self):  # noqa: N802 (http.server's naming)
        self._answer(send_body=True)

    def do_HEAD(self):  # noqa: N802
        self._answer(send_body=False)

    def _answer(self, send_body):
        status, content_type, body = self._route()
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def _route(self):
        path, query = targets.split(self.raw_target)
        if path.rstrip("/") == "/search/search":
            return self._search(query)
        detail = _DETAIL.fullmatch(path)
        if detail:
            return self._detail(targets.decode(detail.group(1)), query)
        if _STAGE.fullmatch(path):
            return 200, "text/plain", b"OK"
        if path == "/web/blank.gif":
            return 200, "image/gif", replies.BLANK_GIF
        return _not_found()

    def _search(self, query):
        where = targets.where(query)
        if where is None or not where.strip():
            return _xml(replies.error_xml("where: a place name or ZIP code is required"))
        return _xml(replies.search_xml(self.server.directory.search(where)))

    def _detail(self, ident, query):
        place = self.server.directory.place(ident)
        if place is None:
            return _not_found()
        return _xml(replies.detail_xml(place, "eloc" in targets.params(query)))

    def log_request(self, code="-", size="-"):
        headers = getattr(self, "headers", None)
        self.server.request_log.write(
            getattr(self, "command", None) or "-",
            getattr(self, "raw_target", None) or "",
            int(code) if isinstance(code, int) else code,
            headers.get("User-Agent") if headers else None,
            headers.get("Referer") if headers else None)

    def log_message(self, format, *args):  # noqa: A002 (http.server's signature)
        pass  # every request is already in the request log


def _xml(text):
    return 200, "text/xml", text.encode("utf-8")


def _not_found():
    return 404, "text/plain", b"not found"
