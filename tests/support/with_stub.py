#!/usr/bin/env python3
"""Runs a test program beside the loopback vendor stub and returns the program's exit code.

The stub serves the routes the test programs ask for by path (see test_routes) and writes
every request it receives as one line of the log file, which the programs read back.
"""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from vendor_stub import Reply, VendorStub, xml  # noqa: E402

# Search answers by the typed place, as (identifier, type, display name) in answer order.
PLACES = {
    "Paris": [("FRXX0076", "1", "Paris, France")],
    "Atlantis": [("ATLX0001", "1", "Atlantis")],  # its details fail
    # The last two share a display name.
    "Springfield": [("USIL0001", "1", "Springfield, IL"), ("USMO0002", "1", "Springfield, MO"),
                    ("USMO0003", "4", "Springfield, MO")],
    "Nowhere": [("", "1", "Sign in to continue")],  # a match without an identifier
    "Closed": [("CLXX0001", "1", "Closed")],  # its reachability request fails
}


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


def search_reply(request):
    """The answer for the typed place. The file download carries "rnd=", the reachability
    request does not: "Lost" fails the first, "Closed" the second; "Error" is answered with
    the service's error answer."""
    where = request.path.split("where=", 1)[-1].split("&", 1)[0]
    if where == ("Lost" if "&rnd=" in request.path else "Closed"):
        return Reply(500, b"status 500")
    if where == "Error":
        return xml('<error><err type="0">No such place</err></error>')
    places = "".join(f'<loc id="{i}" type="{t}">{n}</loc>' for i, t, n in PLACES.get(where, []))
    return xml(f'<?xml version="1.0"?><search ver="3.0">{places}</search>')


def place_routes(stub):
    """The location services for the place-finding tests."""
    stub.route("/search/search/", search_reply)
    stub.route("/weather/local/", xml("<weather ver=\"2.0\"><eloc><ctry>US</ctry><dma>648</dma>"
                                      "<st>IL</st><zip>62701</zip></eloc></weather>"))
    stub.route("/weather/local/ATLX", Reply(500, b"status 500"))


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
        place_routes(stub)
        env = dict(os.environ, NIMBELLE_STUB_LOG=args.log, NIMBELLE_TEST_PORT=str(stub.port))
        try:
            return subprocess.run(command, env=env, timeout=280).returncode
        except subprocess.TimeoutExpired:
            print("with_stub: test program timed out", file=sys.stderr)
            return 1


if __name__ == "__main__":
    sys.exit(main())
