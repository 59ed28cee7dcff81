#!/usr/bin/env python3
"""Runs the setup page against the local stand-in for the vendor's services.

With a display the person uses the page; without one the page runs under Xvfb and is walked
through as a user would (a city with several matches, the picker, a year and a unit, Next),
with a screenshot of each step. Either way it ends by printing the exit code, the profile
keys in apps.ini and the requests the stand-in received, and stops everything it started.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "pagedriver"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "support"))
from contract import PROFILE_KEYS, PROFILE_SECTIONS, SETTINGS_FILE  # noqa: E402
from pagedriver import Driver  # noqa: E402
from winecmd import user_folders, wine, wineserver  # noqa: E402

PAGE, PICKER = "Nimbelle Setup", "Select City"
YEAR_BOX = "Missing year of birth."
NEXT, PLACE, CELSIUS, YEAR = 1, 1000, 1001, 1005
PICKER_OK, PICKER_LIST = 1009, 1010


class Session:
    """Everything started here, stopped again in reverse order."""

    def __init__(self):
        self.processes = []
        self.env = dict(os.environ)

    def start(self, command, **kwargs):
        process = subprocess.Popen(command, env=self.env, **kwargs)
        self.processes.append(process)
        return process

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
        if "WINEPREFIX" in self.env:
            subprocess.run(wineserver("-k"), env=self.env, stderr=subprocess.DEVNULL)


def wait_for_file(path, timeout, nonempty=True):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if os.path.exists(path) and (not nonempty or os.path.getsize(path) > 0):
            return True
        time.sleep(0.05)
    return False


def start_standin(session, port, log):
    port_file = tempfile.mktemp(prefix="standin-port-")
    session.start([sys.executable, os.path.join(HERE, "..", "standin", "standin.py"),
                   "--port", str(port), "--port-file", port_file, "--log", log],
                  stdout=subprocess.DEVNULL)
    if not wait_for_file(port_file, 10):
        raise SystemExit("the stand-in did not start")
    os.remove(port_file)


def start_display(session):
    for number in range(90, 140):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            session.start(["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                          stderr=subprocess.DEVNULL)
            session.env["DISPLAY"] = f":{number}"
            if wait_for_file(f"/tmp/.X11-unix/X{number}", 10, nonempty=False):
                return
    raise SystemExit("no free X display for Xvfb")


def screenshot(session, out, name):
    path = os.path.join(out, name)
    subprocess.run(["import", "-window", "root", path], env=session.env, check=False)
    print(f"  screenshot {path}")


def walk_through(session, driver, out, city, pick, year):
    print("walking through the page:")
    driver.attach()
    driver.sync()
    screenshot(session, out, "1-page.png")
    driver.set_text(PLACE, city)
    print(f"  typed {city!r}, pressed Next")
    driver.click(NEXT)
    if driver.wait(PICKER, 30000) != "ok":
        raise SystemExit(f"no picker appeared for {city!r}")
    driver.use(PICKER)
    names = driver.entries(PICKER_LIST)
    print(f"  the picker offers {len(names)} places: {', '.join(names)}")
    driver.select_string(PICKER_LIST, pick)
    driver.drop(PICKER_LIST)
    screenshot(session, out, "2-picker.png")
    driver.drop(PICKER_LIST, False)
    driver.click(PICKER_OK)
    print(f"  picked {pick!r}")
    driver.gone(PICKER, 30000)
    driver.use()
    # The page asks for the year it still lacks.
    message = driver.box(YEAR_BOX, 30000)
    if message is not None:
        print(f"  the page says: {message}")
        driver.box_ok(YEAR_BOX)
    driver.use()
    driver.select_string(YEAR, year)
    driver.click(CELSIUS)
    driver.sync()
    print(f"  chose {year} and Celsius")
    screenshot(session, out, "3-answers.png")
    driver.click(NEXT)
    print("  pressed Next")


def apps_ini(env):
    path = os.path.join(user_folders(env)["local"], "Talvora", "Corvane", SETTINGS_FILE)
    return path if os.path.exists(path) else None


def report(exit_code, env, log):
    """What the run left: its exit code, the profile keys and the requests; (lines, keys)."""
    lines = [f"exit code: {exit_code}"]
    path = apps_ini(env)
    lines.append(f"profile keys in {path}:" if path else "no apps.ini was written")
    keys = 0
    if path:
        section = ""
        with open(path, encoding="latin-1") as ini:
            for line in ini.read().splitlines():
                if line.startswith("["):
                    section = line[1:-1]
                elif "=" in line and section.startswith(PROFILE_SECTIONS):
                    keys += 1
                    lines.append(f"  [{section}] {line}")
    lines.append("requests the stand-in received:")
    if os.path.exists(log):
        with open(log, encoding="utf-8") as entries:
            for entry in map(json.loads, entries):
                lines.append(f"  {entry['status']} {entry['path']}")
    lines.append(f"{keys} profile keys written")
    return lines, keys


def label_text(lines):
    # ImageMagick reads backslash and percent escapes in a label.
    return "\n".join(lines).replace("\\", "\\\\").replace("%", "%%")


def render_result(lines, out):
    """The report as a picture, the last screenshot of the walkthrough."""
    path = os.path.join(out, "4-result.png")
    subprocess.run(["convert", "-background", "white", "-fill", "black", "-font",
                    "DejaVu-Sans-Mono", "-pointsize", "13", "-border", "12",
                    "-bordercolor", "white", "label:" + label_text(lines), path], check=False)
    print(f"  screenshot {path}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--port", type=int, default=18480)
    parser.add_argument("--arch", required=True, choices=("i686", "x86_64"),
                        help="the architecture the page was built for")
    parser.add_argument("--city", default="Paris", help="a place with several matches")
    parser.add_argument("--pick", default="Paris, TX", help="the picker line to choose")
    parser.add_argument("--year", default="1975", help="year of birth, 1902 to 1994")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    page_folder = os.path.join(out, "page")
    os.makedirs(page_folder, exist_ok=True)
    exe = os.path.join(page_folder, "NimbelleSetup.exe")
    shutil.copy(args.exe, exe)
    log = os.path.join(out, "standin.log")
    if os.path.exists(log):
        os.remove(log)

    session = Session()
    session.env.update(WINEPREFIX=os.path.join(out, f"wineprefix-{args.arch}"), WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", NIMBELLE_WINE_ARCH=args.arch)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    driver = None
    try:
        interactive = bool(os.environ.get("DISPLAY"))
        if not interactive:
            start_display(session)
        # The same prefix set-up as the tests': a 1024x768 virtual desktop and the fonts.
        subprocess.run(["sh", os.path.join(HERE, "..", "..", "tests", "support", "wineprefix.sh"),
                        session.env["WINEPREFIX"], args.arch], env=session.env, check=True)
        start_standin(session, args.port, log)
        page = session.start(wine(exe), cwd=page_folder, stderr=subprocess.DEVNULL)
        if interactive:
            print("the page is open: use it, then press Next or Back")
        else:
            driver = Driver(args.driver, session.env)
            walk_through(session, driver, out, args.city, args.pick, args.year)
        exit_code = page.wait(timeout=None if interactive else 60)
        if not interactive:
            driver.quit()
        lines, keys = report(exit_code, session.env, log)
        print("\n" + "\n".join(lines))
        if not interactive:
            render_result(lines, out)
        return 0 if interactive or (exit_code == 1 and keys == len(PROFILE_KEYS)) else 1
    except KeyboardInterrupt:
        print("\ninterrupted")
        return 130
    finally:
        if driver is not None:
            driver.quit()
        session.stop()


if __name__ == "__main__":
    sys.exit(main())
