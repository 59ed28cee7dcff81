"""How typed place names are compared with the names in the data.

People type "st louis", "Saint-Louis" or "ST. LOUIS" and expect the same town, and
the ZIP and city datasets spell names differently too, so both sides go through
search_key before they are compared.
"""

import unicodedata

# Letters that carry no combining mark under NFKD but that people type without it.
_PLAIN = str.maketrans({"ł": "l", "ø": "o", "đ": "d", "ð": "d", "æ": "ae", "œ": "oe",
                        "ı": "i", "þ": "th", "ħ": "h", "ŀ": "l"})
_PUNCTUATION = str.maketrans({".": " ", "-": " ", "/": " ", "'": None, "’": None, "`": None})
_ABBREVIATIONS = {"st": "saint", "ste": "sainte", "ft": "fort", "mt": "mount"}


def search_key(name):
    text = unicodedata.normalize("NFKD", name.casefold())
    if not text.isascii():
        text = "".join(c for c in text if not unicodedata.combining(c)).translate(_PLAIN)
    words = text.translate(_PUNCTUATION).split()
    return " ".join(_ABBREVIATIONS.get(w, w) for w in words)
