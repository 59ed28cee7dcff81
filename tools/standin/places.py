"""The place directory the service answers from: loading places.tsv.gz and searching it."""

import gzip
import os
import re
from collections import defaultdict

from names import search_key

DEFAULT_DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "places.tsv.gz")
CITY, ZIP = "1", "4"
MAX_MATCHES = 20
_ZIP_QUERY = re.compile(r"(\d{5})(?:-\d{4})?")
# Common ways of writing a country that are not its ISO code or common English name.
_COUNTRY_ALIASES = {"uk": "GB", "great britain": "GB", "england": "GB", "scotland": "GB",
                    "wales": "GB", "usa": "US", "us": "US", "united states of america": "US",
                    "america": "US"}


class Place:
    __slots__ = ("id", "type", "name", "admin", "country", "population", "zips", "aka", "display")

    def __init__(self, fields, country_names):
        (self.id, self.type, self.name, self.admin, self.country, population,
         zips, self.aka) = fields
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
        self.countries, self.states = {}, {}
        self.by_id, self.by_zip = {}, {}
        self._by_key = defaultdict(list)
        with gzip.open(path, "rt", encoding="utf-8") as f:
            for line in f:
                fields = line.rstrip("\n").split("\t")
                kind = fields[0]
                if kind == "P":
                    self._add(Place(fields[1:], self.countries))
                elif kind == "C":
                    self.countries[fields[1]] = fields[2]
                elif kind == "S":
                    self.states[fields[1]] = fields[2]
        for places in self._by_key.values():
            places.sort(key=lambda p: (-p.population, p.display, p.id))
        self._country_codes = {search_key(name): code for code, name in self.countries.items()}
        self._country_codes.update({search_key(code): code for code in self.countries})
        self._country_codes.update(_COUNTRY_ALIASES)
        self._state_codes = {search_key(name): code for code, name in self.states.items()}
        self._state_codes.update({search_key(code): code for code in self.states})

    def _add(self, place):
        self.by_id[place.id] = place
        if place.type == ZIP:
            self.by_zip[place.zips[0]] = place
            return
        key = search_key(place.name)
        self._by_key[key].append(place)
        if place.aka and search_key(place.aka) != key:
            self._by_key[search_key(place.aka)].append(place)

    def search(self, where):
        """Places named by what a person typed: a ZIP code, "City", "City, ST" or "City, Country"."""
        where = where.strip()
        zip_match = _ZIP_QUERY.fullmatch(where)
        if zip_match:
            place = self.by_zip.get(zip_match.group(1))
            return [place] if place else []
        city, *qualifiers = [part.strip() for part in where.split(",")]
        wanted = [self._qualifier(q) for q in qualifiers if q]
        if None in wanted:
            return []
        found = [p for p in self._by_key.get(search_key(city), ())
                 if all(test(p) for test in wanted)]
        return found[:MAX_MATCHES]

    def _qualifier(self, text):
        """A test for the part after a comma; a U.S. state wins over a country ("CA")."""
        key = search_key(text)
        state = self._state_codes.get(key)
        if state:
            return lambda p: p.country == "US" and p.admin == state
        country = self._country_codes.get(key)
        if country:
            return lambda p: p.country == country
        return None
