"""Runs the setup page under Wine for one journey and scripts it through the page driver.

The driver (tools/pagedriver) is a long-lived Win32 console program: one command line in,
one answer line out. One driver serves every journey of a test run; each journey starts a
fresh copy of the program in its own folder and attaches the driver to its page.
"""

import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "pagedriver"))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from contract import SETTINGS_FILE, stage_path  # noqa: E402
from pagedriver import PAGE, Driver, DriverError  # noqa: E402,F401
from winecmd import user_folders, wine  # noqa: E402,F401

PICKER = "Select City"
SETUP_BOX = "Desktop Setup"
YEAR_BOX = "Missing year of birth."
HELP_BOX = "Why do we need this data?"

# Control identifiers of the page and the picker.
NEXT, BACK = 1, 2
PLACE, CELSIUS, FAHRENHEIT, FEMALE, MALE, YEAR = 1000, 1001, 1002, 1003, 1004, 1005
TITLE, WHY_LINK, PRIVACY_LINK = 1006, 1007, 1008
PICKER_OK, PICKER_LIST, PICKER_CANCEL = 1009, 1010, 2

VENDOR_SECTION = "Software\\Talvora"

# The three ways a user leaves the page without Next.
LEAVE_WAYS = {
    "back": lambda d: d.click(BACK),
    "escape": lambda d: d.key(PLACE, "escape"),
    "close box": lambda d: d.close(PAGE),
}


def apps_ini_path(folders):
    """apps.ini below the user's folders as user_folders names them."""
    return os.path.join(folders["local"], "Talvora", "Corvane", SETTINGS_FILE)


def read_ini(path):
    """{section: {key: value}} exactly as written: no trimming, case kept, first "=" splits."""
    sections, current = {}, None
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    for line in text.splitlines():
        if line.startswith("[") and line.rstrip().endswith("]"):
            current = sections.setdefault(line.strip()[1:-1], {})
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


class PageRun:
    """One run of the program: its own folder, a reset apps.ini and the shared stub."""

    INSTALL_ID = "E2E0042"

    def __init__(self, suite, name):
        self.suite = suite
        self.folder = os.path.join(suite.work, name)
        self.exe = os.path.join(self.folder, "NimbelleSetup.exe")
        self.temp = os.path.join(self.folder, "temp")
        self.process = None
        self.pid = None
        self.env = suite.env
        self.opened = None  # the dates around the page's opening, as MM/DD/YY
        self.initial_ini = (f"[{VENDOR_SECTION}]\r\nInstallID={self.INSTALL_ID}\r\n"
                            .encode("ascii"))

    @property
    def driver(self):
        return self.suite.driver

    @property
    def stub(self):
        return self.suite.stub

    def prepare(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        shutil.copy(self.suite.exe, self.exe)
        ini = self.suite.apps_ini
        if os.path.isdir(ini):  # left by a journey that blocked the file with a folder
            shutil.rmtree(ini)
        os.makedirs(os.path.dirname(ini), exist_ok=True)
        with open(ini, "wb") as f:
            f.write(self.initial_ini)
        self.stub.clear()
        self.stub.default_routes()

    def start(self):
        before = time.strftime("%m/%d/%y")
        self.process = subprocess.Popen(wine(self.exe), env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        answer = self.driver.attach()
        if not answer.startswith("ok"):
            raise DriverError(f"the page did not open: {answer!r}")
        self.opened = {before, time.strftime("%m/%d/%y")}
        self.pid = int(answer.split()[1])  # the page's process id inside Wine
        self.driver.sync()

    def exit_code(self, timeout=30):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    # -- what the run left ---------------------------------------------------------------
    def ini(self):
        return read_ini(self.suite.apps_ini)

    def ini_bytes(self):
        with open(self.suite.apps_ini, "rb") as f:
            return f.read()

    def answer_file(self, name):
        path = os.path.join(self.temp, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def beacon(self, stage):
        return stage_path(stage, self.INSTALL_ID)
