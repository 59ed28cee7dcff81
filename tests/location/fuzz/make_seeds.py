#!/usr/bin/env python3
"""Writes the stand-in service's real answers for a dozen places into seeds/: what the
answer fuzzer starts from, beside the odd documents of ../fixtures. Run again only when
the stand-in's answers change."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools", "standin"))
import places  # noqa: E402
import replies  # noqa: E402

PLACES = ["Springfield", "Paris", "90210", "Zürich", "São Paulo", "Tbilisi, Georgia",
          "St. Louis", "Kraków", "Reykjavík", "Tokyo", "Nowhere At All", "Łódź"]


def main():
    directory = places.Directory()
    out = os.path.join(HERE, "seeds")
    os.makedirs(out, exist_ok=True)
    for n, where in enumerate(PLACES):
        found = directory.search(where)
        with open(os.path.join(out, f"search_{n:02}.xml"), "wb") as f:
            f.write(replies.search_xml(found).encode("utf-8"))
        if found:
            with open(os.path.join(out, f"detail_{n:02}.xml"), "wb") as f:
                f.write(replies.detail_xml(found[0], True).encode("utf-8"))
    with open(os.path.join(out, "search_error.xml"), "wb") as f:
        f.write(replies.error_xml("where: a place name or ZIP code is required").encode("utf-8"))


if __name__ == "__main__":
    main()
