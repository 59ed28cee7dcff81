#!/usr/bin/env python3
"""Local stand-in for the vendor's location web service, stage beacon and probe image.

Serves on 127.0.0.1 from the place data in places.tsv.gz and logs every request
as one JSON line to stdout (and --log FILE). Stops cleanly on SIGINT or SIGTERM.
"""

import argparse
import os
import signal
import sys
import threading
from http.server import ThreadingHTTPServer

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from handler import Handler  # noqa: E402
from places import DEFAULT_DATA, Directory  # noqa: E402
from requestlog import RequestLog  # noqa: E402

DEFAULT_PORT = 18480


class Server(ThreadingHTTPServer):
    daemon_threads = True  # open keep-alive connections must not hold up shutdown
    allow_reuse_address = True

    def __init__(self, port, directory, request_log):
        self.directory, self.request_log = directory, request_log
        super().__init__(("127.0.0.1", port), Handler)


def write_port_file(path, port):
    """Written whole in one step, so a reader polling for it never sees half a number."""
    temp = f"{path}.{os.getpid()}.tmp"
    with open(temp, "w", encoding="ascii") as f:
        f.write(f"{port}\n")
    os.replace(temp, path)


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=DEFAULT_PORT, help="0 picks a free port")
    parser.add_argument("--port-file", help="write the bound port here once listening")
    parser.add_argument("--log", help="append the request log to this file too")
    parser.add_argument("--data", default=DEFAULT_DATA, help="place data (places.tsv.gz)")
    return parser.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    stop = threading.Event()
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    try:
        directory = Directory(args.data)
        request_log = RequestLog(args.log)
        server = Server(args.port, directory, request_log)
    except OSError as e:
        print(f"standin: {e}", file=sys.stderr)
        return 2
    port = server.server_address[1]
    serving = threading.Thread(target=server.serve_forever, args=(0.1,), name="serve")
    serving.start()
    # Build the id index now rather than on the first detail request.
    threading.Thread(target=directory.id_index, name="warm-up", daemon=True).start()
    if args.port_file:
        write_port_file(args.port_file, port)
    print(f"standin: listening on http://127.0.0.1:{port}/", file=sys.stderr, flush=True)
    while not stop.wait(0.5):
        pass
    server.shutdown()
    serving.join()
    server.server_close()
    request_log.close()
    print("standin: stopped", file=sys.stderr, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
