#!/usr/bin/env python3
"""Runs the real stand-in on a free port and talks HTTP to it as the installer would."""

import http.client
import json
import os
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "support"))
import build_data  # noqa: E402
from contract import STAGE_OPENED, stage_path  # noqa: E402
AGENT, REFERER = "NimbelleSetup-test/1.0", "http://installer.invalid/page"


class StandIn:
    """The service in a subprocess, with its port, log file and stdout file."""

    def __init__(self):
        self.dir = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.dir.name, "requests.log")
        self.stdout = os.path.join(self.dir.name, "stdout")
        self.stderr = os.path.join(self.dir.name, "stderr")
        port_file = os.path.join(self.dir.name, "port")
        with open(self.stdout, "wb") as out, open(self.stderr, "wb") as err:
            self.proc = subprocess.Popen(
                [sys.executable, os.path.join(HERE, "standin.py"), "--port", "0",
                 "--port-file", port_file, "--log", self.log], stdout=out, stderr=err)
        deadline = time.monotonic() + 10
        while not os.path.exists(port_file):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("stand-in did not start: " + self.read(self.stderr))
            time.sleep(0.02)
        with open(port_file) as f:
            self.port = int(f.read())

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        try:
            return self.proc.wait(timeout=10)
        finally:
            self.dir.cleanup()

    @staticmethod
    def read(path):
        with open(path, encoding="utf-8") as f:
            return f.read()


class ServiceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = StandIn()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def setUp(self):
        self.conn = http.client.HTTPConnection("127.0.0.1", self.service.port, timeout=10)
        self.addCleanup(self.conn.close)

    def get(self, target):
        """(status, content type, body) over one kept-alive connection, as the installer does."""
        self.conn.request("GET", target, headers={"User-Agent": AGENT, "Referer": REFERER})
        reply = self.conn.getresponse()
        return reply.status, reply.getheader("Content-Type"), reply.read()

    def get_raw(self, target):
        """Sends the target byte for byte (raw blanks included), which http.client refuses."""
        with socket.create_connection(("127.0.0.1", self.service.port), timeout=10) as s:
            s.sendall(f"GET {target} HTTP/1.1\r\nHost: x\r\nUser-Agent: {AGENT}\r\n"
                      "Connection: close\r\n\r\n".encode("latin-1"))
            data = b""
            while chunk := s.recv(65536):
                data += chunk
        head, _, body = data.partition(b"\r\n\r\n")
        return int(head.split()[1]), body

    def search(self, where, raw=False):
        target = "/search/search/?where=" + where
        if raw:
            status, body = self.get_raw(target)
        else:
            status, content_type, body = self.get(target)
            self.assertEqual(content_type, "text/xml")
        self.assertEqual(status, 200)
        return ET.fromstring(body)

    def found(self, where, raw=False):
        root = self.search(where, raw)
        self.assertEqual(root.tag, "search")
        return [(loc.get("id"), loc.get("type"), loc.text) for loc in root]

    def eloc(self, ident, query="?eloc=%2A"):
        status, _, body = self.get(f"/weather/local/{ident}{query}")
        self.assertEqual(status, 200)
        eloc = ET.fromstring(body).find("eloc")
        return {child.tag: child.text or "" for child in eloc}

    def test_zip_gives_its_one_place(self):
        [(ident, kind, name)] = self.found("90210")
        self.assertEqual(kind, "4")
        self.assertTrue(name.startswith("Beverly Hills, CA"), name)
        self.assertEqual(self.found("%2090210%20"), [(ident, kind, name)])
        self.assertEqual(self.found("00000"), [])

    def test_city_gives_every_match_most_populous_first(self):
        places = self.found("Paris")
        names = [name for _, _, name in places]
        self.assertEqual(names[0], "Paris, France")
        self.assertIn("Paris, TX", names)
        self.assertTrue(all(kind == "1" for _, kind, _ in places))
        self.assertEqual(len({ident for ident, _, _ in places}), len(places), "ids must be unique")
        self.assertLessEqual(len(self.found("Springfield")), 20)
        self.assertEqual(self.found("pARIS"), places, "matching ignores case")

    def test_state_or_country_narrows(self):
        for where, expected in [("Paris,%20TX", "Paris, TX"), ("paris,%20texas", "Paris, TX"),
                                ("Paris%20TX", "Paris, TX"), ("Paris,France", "Paris, France"),
                                ("London,%20UK", "London, United Kingdom")]:
            with self.subTest(where=where):
                self.assertEqual([name for _, _, name in self.found(where)], [expected])
        self.assertEqual(self.found("Paris,%20Atlantis"), [])
        # Both a state and a country: the state if it has such a town, else the country.
        for where, expected in [("Athens,%20Georgia", "Athens, GA"),
                                ("Tbilisi,%20Georgia", "Tbilisi, Georgia"),
                                ("Paris,%20CA", "Paris, Canada")]:
            with self.subTest(where=where):
                self.assertEqual([name for _, _, name in self.found(where)], [expected])

    def test_spellings_people_type(self):
        for where, expected in [("St%20Louis,%20MO", "St. Louis, MO"),
                                ("Zurich", "Zürich, Switzerland"),
                                ("New%20York", "New York City, NY"),
                                ("Washington,%20D.C.", "Washington, DC")]:
            with self.subTest(where=where):
                self.assertEqual(self.found(where)[0][2], expected)

    def test_no_match_and_bad_request(self):
        root = self.search("Qqqxyzzy")
        self.assertEqual((root.tag, len(root)), ("search", 0))
        for target in ["/search/search/?where=", "/search/search/?where=%20%20&rnd=3",
                       "/search/search/", "/search/search/?rnd=12"]:
            with self.subTest(target=target):
                status, _, body = self.get(target)
                root = ET.fromstring(body)
                self.assertEqual(root.tag, "error")
                self.assertTrue(len(root) or (root.text or "").strip(), "error says something")

    def test_escaped_and_raw_forms_agree(self):
        expected = self.found("Paris,%20TX")
        for where, raw in [("Paris%2C%20TX&rnd=123", False), ("Paris,%20TX&rnd=0&rnd=9", False),
                           ("Paris, TX", True), ("Paris, TX&rnd=77", True), (" Paris, TX ", True)]:
            with self.subTest(where=where, raw=raw):
                self.assertEqual(self.found(where, raw), expected)
        # "&" and "?" typed by a person are part of the place, not new parameters.
        self.assertEqual(self.found("Paris & Co?x=1&rnd=5", raw=True), [])

    def test_detail_of_a_found_place(self):
        [(ident, _, _)] = self.found("Paris,%20TX")
        self.assertEqual(self.eloc(ident), {"ctry": "US", "dma": "", "st": "TX", "zip": "75460"})
        self.assertEqual(self.eloc(ident, "?eloc=*&rnd=42"), self.eloc(ident))
        [(zip_id, _, _)] = self.found("90210")
        self.assertEqual(self.eloc(zip_id)["zip"], "90210")
        [(paris_fr, _, _)] = self.found("Paris,%20France")
        france = self.eloc(paris_fr)
        self.assertEqual((france["ctry"], france["zip"]), ("FR", ""))

    def test_unknown_routes_and_ids_are_404(self):
        for target in ["/weather/local/XX0000000?eloc=*", "/weather/local/?eloc=*", "/",
                       "/search/other?where=Paris", "/web/other.gif"]:
            with self.subTest(target=target):
                self.assertEqual(self.get(target)[0], 404)

    def test_stage_report_and_probe_image(self):
        status, _, body = self.get(stage_path(STAGE_OPENED))
        self.assertEqual((status, bool(body)), (200, True))
        status, content_type, gif = self.get("/web/blank.gif?rnd=123&rnd=456")
        self.assertEqual((status, content_type), (200, "image/gif"))
        self.assertEqual(gif[:6], b"GIF89a")
        self.assertEqual((gif[6:8], gif[8:10]), (b"\x01\x00", b"\x01\x00"), "1x1")
        control = gif.index(b"\x21\xf9\x04")
        self.assertTrue(gif[control + 3] & 1, "transparent colour flag")
        self.assertEqual(gif[-1:], b";")

    def test_log_holds_each_request_as_received(self):
        self.get(stage_path("3", "abc"))
        self.get_raw("/search/search/?where=Log Check&rnd=5")
        time.sleep(0.1)
        for path in (self.service.log, self.service.stdout):
            entries = [json.loads(line) for line in StandIn.read(path).splitlines()]
            by_path = {e["path"]: e for e in entries}
            with self.subTest(file=os.path.basename(path)):
                stage = by_path[stage_path("3", "abc")]
                self.assertEqual((stage["status"], stage["user_agent"], stage["referer"]),
                                 (200, AGENT, REFERER))
                raw = by_path["/search/search/?where=Log Check&rnd=5"]
                self.assertEqual((raw["user_agent"], raw["referer"]), (AGENT, None))
                self.assertTrue(raw["time"])


class LifeTest(unittest.TestCase):
    def test_stops_cleanly_on_sigint_and_sigterm(self):
        for sig in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=sig.name):
                service = StandIn()
                stderr = service.stderr
                with open(stderr, "rb") as f:  # readable after stop() removes the folder
                    self.assertEqual(service.stop(sig), 0)
                    self.assertNotIn(b"Traceback", f.read())


class MergeTest(unittest.TestCase):
    """How build_data gives ZIP codes to towns; a wrong owner shows up as a wrong detail zip."""

    @staticmethod
    def town(ident, name, lat, lon, state="TX"):
        return build_data.Town(ident, name, state, "US", 1000, lat, lon)

    @staticmethod
    def zip_code(code, place, lat, lon, state="TX"):
        return {"zip": code, "place": place, "state": state, "lat": lat, "lon": lon}

    def test_zips_go_to_the_nearest_town_of_their_name(self):
        north, south = self.town("N", "Paris", 33.6, -95.5), self.town("S", "Paris", 30.0, -95.5)
        nyc = self.town("NYC", "New York City", 40.7, -74.0, "NY")
        zips = [self.zip_code("75460", "Paris", 33.65, -95.5),
                self.zip_code("77000", "Paris", 30.1, -95.5),
                self.zip_code("79999", "Paris", 36.0, -101.0),  # another Paris, too small to list
                self.zip_code("10001", "New York", 40.75, -74.0, "NY")]
        extra = build_data.attach_zips([north, south, nyc], zips)
        self.assertEqual((north.zips, south.zips, nyc.zips), (["75460"], ["77000"], ["10001"]))
        self.assertEqual(nyc.aka, "New York")
        [small] = extra
        self.assertEqual((small.id, small.zips, small.population), ("USTX79999", ["79999"], 0))
        keys = [record[1] for record in build_data.place_records([north, south, nyc] + extra, zips)]
        self.assertEqual(keys, sorted(keys), "the service bisects on these keys")
        self.assertIn("new york", keys, "the ZIP list's spelling finds the city too")

    def test_a_city_without_a_zip_of_its_name_borrows_the_nearest(self):
        near, far = self.town("A", "Suburb", 33.0, -96.0), self.town("B", "Outpost", 35.0, -99.0)
        zips = [self.zip_code("75001", "Addison", 33.05, -96.0),
                self.zip_code("75002", "Allen", 33.2, -96.0)]
        build_data.lend_nearest_zips([near, far], zips)
        self.assertEqual((near.zips, far.zips), (["75001"], []))


if __name__ == "__main__":
    unittest.main()
