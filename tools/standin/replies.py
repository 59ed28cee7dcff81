"""Bodies of the service's answers."""

from xml.sax.saxutils import escape, quoteattr

# 1x1 transparent GIF89a: one-colour palette, graphic control extension marking
# colour 0 transparent, one LZW-coded pixel.
BLANK_GIF = bytes.fromhex(
    "474946383961" "01000100" "800000" "000000" "ffffff"
    "21f904" "01000000" "00"
    "2c" "0000000001000100" "00"
    "0202" "4401" "00"
    "3b")


def search_xml(places):
    items = "".join(f'<loc id={quoteattr(p.id)} type={quoteattr(p.type)}>{escape(p.display)}</loc>'
                    for p in places)
    return f'<search ver="1.0">{items}</search>'


def error_xml(message):
    return f'<error><err type="0">{escape(message)}</err></error>'


def detail_xml(place, with_eloc):
    """Location detail; the market code is left empty, the data has none."""
    eloc = ""
    if with_eloc:
        eloc = (f"<eloc><ctry>{escape(place.country)}</ctry><dma></dma>"
                f"<st>{escape(place.admin)}</st><zip>{escape(place.zip)}</zip></eloc>")
    return f'<weather ver="1.0">{eloc}</weather>'
