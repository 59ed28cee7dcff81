"""Runs the setup page under Wine for one journey and scripts it through the page driver.

The driver (tools/pagedriver) is a long-lived Win32 console program: one command line in,
one answer line out. One driver serves every journey of a test run; each journey starts a
fresh copy of the program in its own folder and attaches the driver to its page.
"""

import getpass
import os
import queue
import shutil
import subprocess
import threading
import time

PAGE = "Nimbelle Setup"
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
APPS_SECTION = "Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}"
PROFILE_SECTION = "Software\\Talvora\\Corvane\\UserProfile"
DISPLAY_SECTION = "Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs"


class DriverError(AssertionError):
    pass


def escape(text):
    return (text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
            .replace("\r", "\\r"))


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            i += 1
            c = {"t": "\t", "n": "\n", "r": "\r"}.get(text[i], text[i])
        out.append(c)
        i += 1
    return "".join(out)


class Driver:
    """Client of PageDriver.exe; every answer is awaited with a time limit."""

    def __init__(self, exe, env):
        self.process = subprocess.Popen(["wine", exe], env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self._lines.put(line.decode("utf-8").rstrip("\r\n"))
        self._lines.put(None)

    def ask(self, line, timeout=30):
        self.process.stdin.write((line + "\n").encode("utf-8"))
        self.process.stdin.flush()
        try:
            answer = self._lines.get(timeout=timeout)
        except queue.Empty:
            raise DriverError(f"driver gave no answer to {line!r} within {timeout} s")
        if answer is None:
            raise DriverError(f"driver ended while answering {line!r}")
        return answer

    def ok(self, line, timeout=30):
        answer = self.ask(line, timeout)
        if answer != "ok" and not answer.startswith("ok "):
            raise DriverError(f"{line!r} answered {answer!r}")
        return answer[3:]

    def alive(self):
        return self.process.poll() is None

    def quit(self):
        if self.alive():
            try:
                self.ask("quit", timeout=5)
            except DriverError:
                pass
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()

    # -- commands ----------------------------------------------------------------------
    def attach(self, timeout_ms=20000):
        return self.ask(f"attach {timeout_ms} {escape(PAGE)}", timeout=timeout_ms / 1000 + 10)

    def use(self, caption=""):
        self.ok(f"use {escape(caption)}".rstrip())

    def set_text(self, control, text):
        self.ok(f"set-text {control} {escape(text)}")

    def text(self, control):
        return unescape(self.ok(f"get-text {control}"))

    def click(self, control):
        self.ok(f"click {control}")

    def key(self, control, name):
        self.ok(f"key {control} {name}")

    def sync(self, timeout_ms=15000):
        self.ok(f"sync {timeout_ms}", timeout=timeout_ms / 1000 + 10)

    def select(self, control, index):
        return int(self.ok(f"select {control} {index}"))

    def select_string(self, control, text):
        return int(self.ok(f"select-string {control} {escape(text)}"))

    def entries(self, control):
        fields = self.ok(f"list {control}").split("\t")
        return [unescape(f) for f in fields[1:]]

    def selected(self, control):
        return int(self.ok(f"selected {control}"))

    def checked(self, control):
        return int(self.ok(f"checked {control}"))

    def focus(self):
        """(control id, caption of its top-level window) of the focused control."""
        control, _, caption = self.ok("focus").partition(" ")
        return int(control), unescape(caption)

    def windows(self):
        return sorted(unescape(f) for f in self.ok("windows").split("\t")[1:])

    def wait(self, caption, timeout_ms=15000):
        return self.ask(f"wait {timeout_ms} {escape(caption)}", timeout=timeout_ms / 1000 + 10)

    def gone(self, caption, timeout_ms=15000):
        return self.ask(f"gone {timeout_ms} {escape(caption)}", timeout=timeout_ms / 1000 + 10)

    def box(self, caption, timeout_ms=15000):
        """Waits for a box with this caption; its message text, or None when none came."""
        answer = self.ask(f"box {timeout_ms} {escape(caption)}", timeout=timeout_ms / 1000 + 10)
        if answer == "timeout":
            return None
        if not answer.startswith("ok"):
            raise DriverError(f"box {caption!r} answered {answer!r}")
        return unescape(answer[3:])

    def box_ok(self, caption):
        self.ok(f"box-ok {escape(caption)}", timeout=40)

    def close(self, caption):
        self.ok(f"close {escape(caption)}")

    def rect(self, control):
        return tuple(int(v) for v in self.ok(f"rect {control}").split())

    def grab(self, x, y, width, height):
        """The pixels of a client rectangle as rows of (r, g, b)."""
        w, h, data = self.ok(f"grab {x} {y} {width} {height}").split(" ")
        raw = bytes.fromhex(data)
        pixels = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
        return [pixels[row * int(w):(row + 1) * int(w)] for row in range(int(h))]

    def syscolor(self, index):
        return tuple(int(v) for v in self.ok(f"syscolor {index}").split())


def apps_ini_path(prefix):
    users = os.path.join(prefix, "drive_c", "users")
    user = os.environ.get("USER") or getpass.getuser()
    if not user or not os.path.isdir(os.path.join(users, user)):
        # The prefix was made by another account name: take its one user folder.
        names = [n for n in os.listdir(users) if n != "Public"]
        if len(names) != 1:
            raise SystemExit(f"journeys: cannot tell the Wine user among {names}")
        user = names[0]
    return os.path.join(users, user, "AppData", "Local", "Talvora", "Corvane", "apps.ini")


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
        os.makedirs(os.path.dirname(ini), exist_ok=True)
        with open(ini, "wb") as f:
            f.write(self.initial_ini)
        self.stub.clear()
        self.stub.default_routes()

    def start(self):
        before = time.strftime("%m/%d/%y")
        self.process = subprocess.Popen(["wine", self.exe], env=self.suite.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        answer = self.driver.attach()
        if not answer.startswith("ok"):
            raise DriverError(f"the page did not open: {answer!r}")
        self.opened = {before, time.strftime("%m/%d/%y")}
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
        return f"/5/{stage}?id={self.INSTALL_ID}&instby="
