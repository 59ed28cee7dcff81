#!/usr/bin/env python3
"""Runs a test program beside the loopback vendor stub and returns the program's exit code.

The stub serves the routes the test programs ask for by path (see test_routes) and writes
every request it receives as one JSON line to the log file, which the programs read back.
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vendor_stub import Reply, VendorStub  # noqa: E402


def test_routes(stub):
    """Fixed answers the web tests rely on, by path."""
    for code in (200, 204, 301, 304, 403, 404, 500, 502, 306, 599):
        stub.route(f"/status/{code}", Reply(code, b"" if code in (204, 304) else f"status {code}".encode()))
    stub.route("/empty", Reply(200, b""))
    stub.route("/short", Reply(200, b"<short/>"))
    stub.route("/long", Reply(200, b"L" * 10000))
    stub.route("/redirect", Reply(302, b"moved", {"Location": "/short"}))
    stub.route("/partial", Reply(200, b"P" * 4000, cut_after=1500))
    stub.route("/nul", Reply(200, b"abc\x00def"))
    # A zero byte early in a longer answer: only the chunk holding it is cut short.
    stub.route("/nul-long", Reply(200, b"H" * 100 + b"\x00" + b"M" * 4895 + b"TAIL"))
    stub.route("/echo", Reply(200, b"echo"))
    stub.route("/slow", Reply(200, b"slow", delay=0.5))
    stub.route("/loop", Reply(302, b"again", {"Location": "/loop"}))
    # Absolute redirect targets of an exact length, around the longest URL the system takes.
    for length in (2083, 2084):
        target = f"http://127.0.0.1:{stub.port}/short?"
        target += "p" * (length - len(target))
        stub.route(f"/redirect-long/{length}", Reply(302, b"", {"Location": target}))
    stub.route("/huge", Reply(fault="huge", size=64 << 20))
    for fault in ("silent", "stall", "drip"):
        stub.route(f"/{fault}", Reply(fault=fault, body=b"<dripping/>" * 10, hold=20))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if os.path.exists(args.log):
        os.remove(args.log)
    with VendorStub(args.port, args.log) as stub:
        test_routes(stub)
        env = dict(os.environ, NIMBELLE_STUB_LOG=args.log, NIMBELLE_TEST_PORT=str(stub.port))
        try:
            return subprocess.run(command, env=env, timeout=280).returncode
        except subprocess.TimeoutExpired:
            print("with_stub: test program timed out", file=sys.stderr)
            return 1


if __name__ == "__main__":
    sys.exit(main())
