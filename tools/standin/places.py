"""The place directory the service answers from: loading places.tsv.gz and searching it.

Loading keeps the place records as text lines and only pulls out their sort keys,
so the service is up in a fraction of a second; a record becomes a Place when a
query touches it.
"""

import bisect
import gzip
import os
import re
import threading

from names import search_key

DEFAULT_DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "places.tsv.gz")
CITY, ZIP = "1", "4"
MAX_MATCHES = 20
_ZIP_QUERY = re.compile(r"(\d{5})(?:-\d{4})?")
# Common ways of writing a country that are neither its ISO code nor its common English name.
# Keys are search keys, so "U.S." is "u s".
_COUNTRY_ALIASES = {"uk": "GB", "u k": "GB", "great britain": "GB", "england": "GB",
                    "scotland": "GB", "wales": "GB", "usa": "US", "u s": "US", "u s a": "US",
                    "united states of america": "US", "america": "US"}
_STATE_ALIASES = {"d c": "DC"}


class Place:
    __slots__ = ("id", "type", "name", "admin", "country", "population", "zips", "display")

    def __init__(self, line, country_names):
        (_, _, self.id, self.type, self.name, self.admin, self.country, population,
         zips, _) = line.split("\t")
        self.population = int(population)
        self.zips = zips.split(",") if zips else []
        if self.type == ZIP:
            self.display = f"{self.name}, {self.admin} ({self.zips[0]})"
        elif self.country == "US":
            self.display = f"{self.name}, {self.admin}"
        else:
            self.display = f"{self.name}, {country_names.get(self.country, self.country)}"

    @property
    def zip(self):
        return self.zips[0] if self.zips else ""


class Directory:
    def __init__(self, path=DEFAULT_DATA):
        with gzip.open(path, "rb") as f:
            lines = f.read().decode("utf-8").split("\n")
        self.countries, self.states = {}, {}
        first = 0
        for first, line in enumerate(lines):
            if line.startswith("C\t"):
                _, code, name = line.split("\t")
                self.countries[code] = name
            elif line.startswith("S\t"):
                _, code, name = line.split("\t")
                self.states[code] = name
            elif line.startswith("P\t"):
                break
        self._lines = [line for line in lines[first:] if line]
        self._keys = [line.split("\t", 2)[1] for line in self._lines]
        self._ids = None
        self._ids_lock = threading.Lock()
        self._qualifiers = self._qualifier_codes()

    def _qualifier_codes(self):
        """What may follow the comma in "City, X": search key -> what it may mean, in order.

        "CA" and "Georgia" are both a U.S. state and a country; the state comes
        first, the country is tried when the state has no such town.
        """
        codes = {}
        states = [(search_key(name), code) for code, name in self.states.items()]
        states += [(search_key(code), code) for code in self.states]
        states += list(_STATE_ALIASES.items())
        for key, code in states:
            codes.setdefault(key, []).append(("state", code))
        countries = [(search_key(name), code) for code, name in self.countries.items()]
        countries += [(search_key(code), code) for code in self.countries]
        countries += list(_COUNTRY_ALIASES.items())
        for key, code in countries:
            codes.setdefault(key, []).append(("country", code))
        return codes

    def _matching(self, key):
        lo = bisect.bisect_left(self._keys, key)
        hi = bisect.bisect_right(self._keys, key, lo)
        return [Place(line, self.countries) for line in self._lines[lo:hi]]

    def search(self, where):
        """Places named by what a person typed: ZIP, "City", "City, ST" or "City, Country"."""
        where = where.strip()
        zip_match = _ZIP_QUERY.fullmatch(where)
        if zip_match:
            return [p for p in self._matching(zip_match.group(1)) if p.type == ZIP]
        found = self._search_parts([part.strip() for part in where.split(",")])
        if not found and "," not in where and " " in where:
            # People often leave out the comma: "Paris TX", "Lyon France".
            found = self._search_parts(where.rsplit(" ", 1))
        return found

    def _search_parts(self, parts):
        city, *rest = parts
        wanted = [self._qualifiers.get(search_key(part)) for part in rest if part]
        if None in wanted or not search_key(city):
            return []
        found = [p for p in self._matching(search_key(city)) if p.type == CITY]
        for meanings in wanted:
            found = next(filter(None, (_within(found, *m) for m in meanings)), [])
        return found[:MAX_MATCHES]

    def place(self, ident):
        """The place with this id, or None."""
        index = self.id_index().get(ident)
        return None if index is None else Place(self._lines[index], self.countries)

    def id_index(self):
        """id -> line number; built on first use (or by a warm-up thread) to keep start-up quick."""
        with self._ids_lock:
            if self._ids is None:
                self._ids = {line.split("\t", 3)[2]: n for n, line in enumerate(self._lines)}
            return self._ids


def _within(places, kind, code):
    if kind == "state":
        return [p for p in places if p.country == "US" and p.admin == code]
    return [p for p in places if p.country == code]
