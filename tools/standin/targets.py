"""Reading request targets the way the installer sends them.

The installer escapes some queries and sends others raw, so the typed place may
hold blanks, "&" or "?" as they are. Targets are kept as the raw bytes received
(http.server hands them over as Latin-1 text) and decoded here.
"""

import re
from urllib.parse import unquote_to_bytes

_TRAILING_RND = re.compile(r"(?:[&?]rnd=[0-9]*)+$")
_WHERE = re.compile(r"(?:^|[&?])where=")


def decode(text):
    """Percent-decodes raw target text; UTF-8 if it is, else the Windows ANSI code page."""
    data = unquote_to_bytes(text.encode("latin-1", "replace"))
    for encoding in ("utf-8", "cp1252"):
        try:
            return data.decode(encoding)
        except UnicodeDecodeError:
            pass
    return data.decode("latin-1")


def split(target):
    """(path, query) of a raw target; query is everything after the first "?"."""
    path, _, query = target.partition("?")
    return path, query


def where(query):
    """The typed place: all after "where=" up to a trailing rnd=N, or None if absent."""
    found = _WHERE.search(query)
    if not found:
        return None
    return decode(_TRAILING_RND.sub("", query[found.end():]))


def params(query):
    """Decoded name -> value of a plain query; "?" counts as a separator like "&"."""
    pairs = (part.partition("=") for part in re.split(r"[&?]", query) if part)
    return {decode(name): decode(value) for name, _, value in pairs}
