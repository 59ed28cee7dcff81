#!/usr/bin/env python3
"""Journeys through the product's installer, whose wizard runs the setup page.

The test installer embeds the loopback copy of the page, so the page talks to a local stub.
Installers run inside Wine's virtual desktop (caption bars as on Windows, and hiding a window
costs nothing there); the page driver joins that desktop, starts the installer and drives
both the installer's wizard and the page the installer started.

  xvfb-run -a python3 installer_journeys.py --installer ... --broken-installer ...
      --driver ... --port N --version X.Y.Z --sign-script ... [--shots DIR]
"""

import argparse
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "app"))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from journeys import SPRINGFIELD_IL, detail_answer, search_answer  # noqa: E402
from contract import (LOC_DISPLAY_NAME, PROFILE_KEYS, PROFILE_SECTION, STAGE_ACCEPTED,  # noqa: E402
                      STAGE_LEFT, STAGE_OPENED, YOB, profile_keys_in, stage_of)
from pagerun import (LEAVE_WAYS, NEXT, PAGE, PLACE, YEAR, Driver, DriverError,  # noqa: E402
                     apps_ini_path, read_ini)
from unittest_run import run_cases  # noqa: E402
from winecmd import user_folders, wine, wineserver  # noqa: E402
from vendor_stub import VendorStub, xml  # noqa: E402

DESKTOP = "nimbelle-installer"
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbelle"
INSTALL_ID = "INST0042"
INITIAL_INI = f"[Software\\Talvora]\r\nInstallID={INSTALL_ID}\r\n".encode("ascii")
SKIPPED = "Setup page skipped: silent install, no window may appear."
COMPLETED = "Setup page completed."
CANNOT_START = "The Nimbelle setup page could not be started."


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Suite:
    def __init__(self, args):
        self.args = args
        self.env = dict(os.environ)
        self.apps_ini = pathlib.Path(apps_ini_path(user_folders(self.env)))
        self.install_dir = self.apps_ini.parent.parent / "Nimbelle"
        self.installer_caption = f"Nimbelle {args.version} Setup"
        self.stub = VendorStub(args.port).start()
        self.desktop = None
        self.driver = None

    def ready_driver(self):
        """The virtual desktop and a driver on it, (re)started when a journey lost them."""
        if self.desktop is None or self.desktop.poll() is not None:
            self.desktop = subprocess.Popen(wine("explorer", f"/desktop={DESKTOP},1024x768"),
                                            env=self.env, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL)
        if self.driver is None or not self.driver.alive():
            self.driver = Driver(self.args.driver, self.env)
            self.driver.desktop(DESKTOP)
        return self.driver

    def reset(self):
        """Every Wine process of the prefix ends: what a failed journey left is gone."""
        subprocess.run(wineserver("-k"), env=self.env, timeout=30, check=False)
        for process in (self.desktop, self.driver and self.driver.process):
            if process:
                process.wait(timeout=30)
                for pipe in (process.stdin, process.stdout):
                    if pipe:
                        pipe.close()
        self.desktop = self.driver = None

    def close(self):
        if self.driver:
            self.driver.quit()
        self.reset()
        self.stub.stop()


SUITE = None


class InstallerJourney(unittest.TestCase):
    def setUp(self):
        shutil.rmtree(SUITE.install_dir, ignore_errors=True)
        SUITE.apps_ini.parent.mkdir(parents=True, exist_ok=True)
        SUITE.apps_ini.write_bytes(INITIAL_INI)
        SUITE.stub.clear()
        SUITE.stub.default_routes()
        SUITE.stub.route("/search/search/", xml(search_answer(SPRINGFIELD_IL)))
        SUITE.stub.route("/weather/local/", xml(detail_answer()))

    def installed(self, name):
        path = SUITE.install_dir / name
        return path.read_bytes().decode("latin-1") if path.exists() else None

    def stages(self):
        return [stage_of(p) for p in SUITE.stub.paths() if stage_of(p) is not None]

    def registered(self):
        return subprocess.run(wine("reg", "query", UNINSTALL_KEY), env=SUITE.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=60).returncode == 0

    # -- the wizard ----------------------------------------------------------------------
    def start_installer(self, installer=None):
        d = SUITE.ready_driver()
        self.addCleanup(self.end_installer)
        d.run(f'"{windows_path(installer or SUITE.args.installer)}"')
        self.on_installer_page("Welcome to")

    def end_installer(self):
        if SUITE.driver is None or SUITE.driver.exit_code(0) is None:
            SUITE.reset()

    def on_installer_page(self, title, timeout=20):
        """Waits until the installer is shown again with this page (by its title's start)."""
        d = SUITE.driver
        if not d.attach_to(SUITE.installer_caption).startswith("ok"):
            self.shot(f"failed-{self.id().rsplit('.', 1)[-1]}.png")
            self.fail("the installer's window is not shown")
        deadline, texts = time.time() + timeout, []
        while not any(t.startswith(title) for t in texts):
            if time.time() > deadline:
                self.fail(f"no page {title!r}; shown: {texts}")
            time.sleep(0.1)
            try:
                texts = d.texts()
            except DriverError:  # a page being replaced while its texts were read
                texts = []

    def next_to_setup_page(self):
        d = SUITE.driver
        d.click(NEXT)
        self.assertTrue(d.attach_to(PAGE).startswith("ok"), "the setup page did not appear")
        self.assertFalse(d.shown(SUITE.installer_caption), "installer hidden behind the page")
        d.sync()

    def accept_setup_page(self):
        d = SUITE.driver
        d.set_text(PLACE, "Springfield")
        d.select_string(YEAR, "1975")
        d.click(NEXT)

    def finish(self):
        self.on_installer_page("Completing")
        SUITE.driver.click(NEXT)
        self.assertEqual(SUITE.driver.exit_code(), 0, "exit code of the installer")

    def shot(self, name):
        if SUITE.args.shots:
            os.makedirs(SUITE.args.shots, exist_ok=True)
            subprocess.run(["import", "-window", "root", os.path.join(SUITE.args.shots, name)],
                           env=SUITE.env, timeout=30, check=False)

    # -- expectations --------------------------------------------------------------------
    def assertProfileCommitted(self):
        ini = read_ini(SUITE.apps_ini)
        keys = profile_keys_in(ini)
        self.assertEqual(len(keys), len(PROFILE_KEYS), keys)
        self.assertEqual(keys[LOC_DISPLAY_NAME], "Springfield, IL")
        self.assertEqual(keys[YOB], "75")

    def assertInstalled(self, outcome):
        self.assertIn("Nimbelle", self.installed("ReadMe.txt") or "")
        self.assertIsNotNone(self.installed("Uninstall.exe"))
        self.assertIn(outcome, self.installed("install.log") or "")


class WizardJourneys(InstallerJourney):
    def test_next_runs_the_page_then_installs(self):
        self.start_installer()
        self.shot("installer-welcome.png")
        self.next_to_setup_page()
        self.shot("installer-page.png")
        self.accept_setup_page()
        self.finish()
        self.assertProfileCommitted()
        self.assertInstalled(COMPLETED)
        self.assertEqual(self.stages(), [STAGE_OPENED, STAGE_ACCEPTED])

    def test_back_escape_and_close_box_return_to_welcome(self):
        self.start_installer()
        for way, leave in LEAVE_WAYS.items():
            with self.subTest(way=way):
                SUITE.stub.clear()
                self.next_to_setup_page()
                leave(SUITE.driver)
                self.on_installer_page("Welcome to")
                self.assertEqual(self.stages(), [STAGE_OPENED, STAGE_LEFT])
                self.assertEqual(SUITE.apps_ini.read_bytes(), INITIAL_INI)
                self.assertIsNone(self.installed("ReadMe.txt"))
        self.next_to_setup_page()
        self.accept_setup_page()
        self.finish()
        self.assertProfileCommitted()
        self.assertInstalled(COMPLETED)

    def test_page_that_cannot_start_is_reported_then_back(self):
        self.start_installer(SUITE.args.broken_installer)
        d = SUITE.driver
        d.click(NEXT)
        # The message shares the wizard's caption: look until the wizard has made way for it.
        deadline, text = time.time() + 20, None
        while not (text or "").startswith(CANNOT_START) and time.time() < deadline:
            try:
                text = d.box(SUITE.installer_caption)
            except DriverError:
                time.sleep(0.1)
        self.assertTrue((text or "").startswith(CANNOT_START), f"no message; last {text!r}")
        d.box_ok(SUITE.installer_caption)
        self.on_installer_page("Welcome to")
        self.assertEqual(SUITE.stub.paths(), [])
        self.assertIsNone(self.installed("ReadMe.txt"))


class SilentAndUninstall(InstallerJourney):
    def test_silent_install_skips_the_page_and_uninstall_keeps_apps_ini(self):
        profile = INITIAL_INI + f"[{PROFILE_SECTION}]\r\n{YOB.name}=75\r\n".encode("ascii")
        SUITE.apps_ini.write_bytes(profile)
        done = subprocess.run(wine(SUITE.args.installer, "/S"), env=SUITE.env, timeout=120)
        self.assertEqual(done.returncode, 0, "exit code of the silent install")
        self.assertEqual(SUITE.stub.paths(), [], "the page must not run")
        self.assertEqual(SUITE.apps_ini.read_bytes(), profile)
        self.assertInstalled(SKIPPED)
        self.assertTrue(self.registered(), "uninstall entry")

        # The uninstaller hands over to a copy of itself and returns at once.
        subprocess.run(wine(SUITE.install_dir / "Uninstall.exe", "/S"), env=SUITE.env,
                       timeout=120, check=True)
        deadline = time.time() + 60
        while SUITE.install_dir.exists() and time.time() < deadline:
            time.sleep(0.2)
        self.assertFalse(SUITE.install_dir.exists(), "installed files removed")
        self.assertEqual(SUITE.apps_ini.read_bytes(), profile, "apps.ini byte for byte")
        self.assertFalse(self.registered(), "uninstall entry removed")


class Signing(unittest.TestCase):
    def test_signed_page_and_installer_verify_and_a_changed_byte_fails(self):
        with tempfile.TemporaryDirectory() as folder:
            cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                            "-keyout", key, "-out", cert, "-days", "1",
                            "-subj", "/CN=Nimbelle throwaway signer",
                            "-addext", "extendedKeyUsage=codeSigning"],
                           check=True, capture_output=True, timeout=60)
            for source in (SUITE.args.page, SUITE.args.installer):
                with self.subTest(artifact=os.path.basename(source)):
                    signed = os.path.join(folder, "signed.exe")
                    done = subprocess.run([SUITE.args.sign_script, cert, key, source, signed],
                                          capture_output=True, text=True, timeout=60)
                    self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
                    self.assertIn("Signature verification: ok", done.stdout)
                    data = bytearray(pathlib.Path(signed).read_bytes())
                    data[len(data) // 3] ^= 0xFF
                    pathlib.Path(signed).write_bytes(data)
                    check = subprocess.run(["osslsigncode", "verify", "-CAfile", cert,
                                            "-in", signed], capture_output=True, text=True,
                                           timeout=60)
                    self.assertNotEqual(check.returncode, 0)
                    self.assertIn("MISMATCH", check.stdout)


def main():
    global SUITE
    parser = argparse.ArgumentParser()
    for name in ("installer", "broken-installer", "page", "driver", "version", "sign-script"):
        parser.add_argument(f"--{name}", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--shots", help="folder for screenshots of the wizard")
    args, rest = parser.parse_known_args()
    SUITE = Suite(args)
    return run_cases(rest, SUITE.close)


if __name__ == "__main__":
    sys.exit(main())
