"""One JSON line per request, to stdout and optionally a file, so tests can read it back."""

import json
import sys
import threading
from datetime import datetime


class RequestLog:
    def __init__(self, path=None, stream=sys.stdout):
        self._lock = threading.Lock()
        self._stream = stream
        self._file = open(path, "a", encoding="utf-8") if path else None

    def write(self, method, target, status, user_agent, referer):
        """target is the path and query exactly as received; absent headers are null."""
        now = datetime.now().astimezone()
        line = json.dumps({
            "time": now.strftime("%Y-%m-%dT%H:%M:%S.") + f"{now.microsecond // 1000:03d}"
                    + now.strftime("%z"),
            "method": method, "path": target, "status": status,
            "user_agent": user_agent, "referer": referer,
        }, ensure_ascii=False)
        with self._lock:
            for out in (self._stream, self._file):
                if out is not None:
                    out.write(line + "\n")
                    out.flush()

    def close(self):
        with self._lock:
            if self._file is not None:
                self._file.close()
                self._file = None
