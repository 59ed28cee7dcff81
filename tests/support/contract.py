"""What the page shares with the world outside it: the settings file and the profile keys a
commit writes into it, and the stages the page reports to the beacon server.

Typed here once, for every Python test and tool, and never read from the program: a test
that checked the page against the page's own tables would prove nothing.
"""

from typing import NamedTuple

SETTINGS_FILE = "apps.ini"

APPS_SECTION = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}"
PROFILE_SECTION = "Software\\Talvora\\Corvane\\UserProfile"
DISPLAY_SECTION = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs"


class Key(NamedTuple):
    section: str
    name: str


EA = Key(APPS_SECTION, "ea")
SU = Key(APPS_SECTION, "su")
TEMPERATURE = Key(DISPLAY_SECTION, "temperature")
YOB = Key(PROFILE_SECTION, "yob")
GENDER = Key(PROFILE_SECTION, "gender")
LOC_COUNTRY = Key(PROFILE_SECTION, "locCountry")
LOC_DISPLAY_NAME = Key(PROFILE_SECTION, "locDisplayName")
LOC_DMA = Key(PROFILE_SECTION, "locDMA")
LOC_ID = Key(PROFILE_SECTION, "locID")
LOC_STATE = Key(PROFILE_SECTION, "locState")
LOC_TYPE = Key(PROFILE_SECTION, "locType")
LOC_ZIP = Key(PROFILE_SECTION, "locZip")

# Every key a commit writes, in the order it writes them.
PROFILE_KEYS = (EA, SU, TEMPERATURE, YOB, GENDER, LOC_COUNTRY, LOC_DISPLAY_NAME, LOC_DMA, LOC_ID,
                LOC_STATE, LOC_TYPE, LOC_ZIP)
PROFILE_SECTIONS = tuple(dict.fromkeys(key.section for key in PROFILE_KEYS))


def profile_keys_in(sections):
    """{Key: value} of every key the profile's sections hold in a {section: {key: value}}
    reading of the settings file, the profile's own keys and any others."""
    return {Key(section, name): value for section in PROFILE_SECTIONS
            for name, value in sections.get(section, {}).items()}


STAGE_OPENED = "17"  # the page was created
STAGE_ACCEPTED = "90"  # Next was accepted
STAGE_LEFT = "91"  # Back, Escape or the close box
ENDING_STAGES = (STAGE_ACCEPTED, STAGE_LEFT)

# Where stage reports go, below the beacon server's base.
STAGE_PATH = "/5/"


def stage_path(stage, install_id=""):
    """The path of a stage's report carrying an installation identifier."""
    return f"{STAGE_PATH}{stage}?id={install_id}&instby="


def stage_of(path):
    """The stage a request's path reports; None for any other request."""
    if not path.startswith(STAGE_PATH):
        return None
    return path[len(STAGE_PATH):].split("?")[0]
