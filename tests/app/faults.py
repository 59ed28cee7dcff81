#!/usr/bin/env python3
"""The page on a bad day: vendor services that never answer, stall, drip, loop or flood, a
place text with line breaks, a program folder the code page cannot name, a settings file
that cannot be written, libraries planted beside the program and a system proxy that refuses,
stays silent, asks for credentials or relays. Each journey holds the page
to the time a user (and the installer waiting on it) can bear, and checks that the page still
works afterwards. Same harness and arguments as journeys.py.
"""

import contextlib
import itertools
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import types

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "support"))

import journeys  # noqa: E402
from contract import (ENDING_STAGES, GENDER, LOC_ID, PROFILE_SECTION, SETTINGS_FILE,  # noqa: E402
                      STAGE_ACCEPTED, STAGE_PATH, YOB, profile_keys_in, stage_of)
from journeys import (BACK, NEXT, NOT_RECOGNISED, SETUP_BOX, SHELBYVILLE,  # noqa: E402
                      SPRINGFIELD_IL, Journey, detail_answer, search_answer)
from pagerun import Driver, DriverError, read_ini  # noqa: E402
from proxy_stub import ProxyStub  # noqa: E402
from vendor_stub import Reply, xml  # noqa: E402
from winecmd import wine, wineserver  # noqa: E402

OPEN_WITHIN, LEAVE_WITHIN, NEXT_WITHIN = 10, 10, 30
FOUND = xml(search_answer(SPRINGFIELD_IL))
# The libraries the program itself uses that are not among the system's known libraries,
# which Windows always takes from the system folder. (Wine's own user32 imports version.dll,
# so a planted version.dll tells about Wine's loader, not about the program.)
PLANTED = ("wininet.dll", "wsock32.dll")
KNOWN_LIBRARIES = {"kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll",
                   "shell32.dll", "msvcrt.dll", "advapi32.dll", "comdlg32.dll", "shlwapi.dll",
                   "ws2_32.dll", "imm32.dll", "rpcrt4.dll", "combase.dll"}


# Where Windows keeps the user's proxy, which the program's INTERNET_OPEN_TYPE_PRECONFIG reads.
INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
PROXY_VALUES = {"ProxyEnable": "REG_DWORD", "ProxyServer": "REG_SZ", "ProxyOverride": "REG_SZ"}
PROXY_REFUSED_WITHIN = 5
# The unsaved box: the settings file named, then a reason that is never the system's words for
# success (Wine's and Windows' texts for code 0).
UNSAVED = (r"^Your answers could not be saved to [A-Z]:\\.*\\Talvora\\Corvane\\"
           + re.escape(SETTINGS_FILE) + r"\.")
REASON = r"\r\n\r\n(?!.*(Success|The operation completed successfully)\.$)\S.*$"


def reg(*args):
    """Wine's reg tool; its output goes through a file, since a Wine server it starts would
    hold a pipe open for ever."""
    with tempfile.TemporaryFile() as out:
        done = subprocess.run(wine("reg", *args), env=journeys.SUITE.env, stdout=out,
                              stderr=subprocess.STDOUT, timeout=60)
        out.seek(0)
        return subprocess.CompletedProcess(done.args, done.returncode,
                                           out.read().decode("utf-8", "replace"))


def registry_value(name):
    """(type, data) of a value of the Internet settings, or None when there is none."""
    answer = reg("query", INTERNET_SETTINGS, "/v", name)
    for line in answer.stdout.splitlines() if answer.returncode == 0 else []:
        words = line.split(None, 2)
        if len(words) >= 2 and words[0] == name:
            return words[1], words[2] if len(words) > 2 else ""
    return None


def set_registry_value(name, value):
    if value is None:
        reg("delete", INTERNET_SETTINGS, "/v", name, "/f")
        return
    kind, data = value
    if kind == "REG_DWORD":
        data = str(int(data, 0))
    # A reg.exe started while the previous journey's processes are still going away now and
    # then ends with an error and says nothing: a few tries, then the journey fails.
    for attempt in range(3):
        answer = reg("add", INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", data, "/f")
        if answer.returncode == 0:
            return
        print(f"  reg add {name}: exit code {answer.returncode} {answer.stdout!r}, again",
              file=sys.stderr)
        time.sleep(1)
    raise RuntimeError(f"reg add {name}: exit code {answer.returncode}: {answer.stdout}")


def fault(kind, **more):
    return Reply(fault=kind, body=FOUND.body, **more)


# Two pages, or two machines, each searching its own place.
TWO_PLACES = {"Springfield": SPRINGFIELD_IL, "Shelbyville": SHELBYVILLE}


def search_by_place(hold):
    """The answer for the place typed, its file's download held back `hold` seconds."""
    def search(request):
        typed = request.path.split("where=", 1)[1].split("&", 1)[0]
        reply = xml(search_answer(TWO_PLACES[typed]))
        reply.delay = hold if "rnd=" in request.path else 0.0
        return reply
    return search


def fill(path):
    """A file at path as large as the disk lets it grow."""
    with open(path, "wb", buffering=0) as f:
        try:
            while True:
                f.write(b"\0" * 4096)
        except OSError:
            pass  # full


class Faults(Journey):
    @contextlib.contextmanager
    def system_proxy(self, mood):
        """Points the user's Internet settings at a proxy stub in that mood, and puts the
        settings back as they were afterwards."""
        proxy = ProxyStub(mood)
        saved = {name: registry_value(name) for name in PROXY_VALUES}
        try:
            # Windows bypasses the proxy for loopback addresses unless "<-loopback>" says not
            # to; Wine never bypasses them (measured), so the journeys hold on both.
            for name, data in (("ProxyEnable", "1"), ("ProxyServer", f"127.0.0.1:{proxy.port}"),
                               ("ProxyOverride", "<-loopback>")):
                set_registry_value(name, (PROXY_VALUES[name], data))
            yield proxy
        finally:
            for name, value in saved.items():
                set_registry_value(name, value)
            proxy.stop()

    def freeze(self, folder):
        """No name in folder changes (chattr +i) until the journey ends."""
        subprocess.run(["chattr", "+i", folder], check=True, timeout=10)
        self.addCleanup(subprocess.run, ["chattr", "-i", folder], timeout=10)

    def small_disk(self, folder, size):
        """A file system of `size` mounted on folder until the journey ends."""
        os.makedirs(folder, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder],
                                 capture_output=True, text=True, timeout=30)
        if mounted.returncode != 0:
            self.skipTest(f"cannot mount a small tmpfs here ({mounted.stderr.strip()}); "
                          "the journey needs mount permission (root)")
        self.addCleanup(subprocess.run, ["umount", "-l", folder], timeout=30)

    def timed(self, action, what=None):
        start = time.monotonic()
        result = action()
        took = time.monotonic() - start
        if what:
            print(f"  {what}: {took:.1f} s", file=sys.stderr)
        return result, took

    def refuse(self, run, what, within=NEXT_WITHIN):
        """Next with a place typed: the "not recognised" message in time, and once it is
        closed the page takes input again."""
        self.type_place_and_year(run, "Springfield")
        run.driver.click(NEXT)
        text, took = self.timed(lambda: run.driver.box(SETUP_BOX, NEXT_WITHIN * 1000),
                                f"{what}: Next to message")
        self.assertEqual(text, NOT_RECOGNISED)
        self.assertLess(took, within)
        run.driver.box_ok(SETUP_BOX)
        self.assertPageWaits(run, journeys.PLACE)

    def accept(self, run, within=NEXT_WITHIN):
        """Next, then the page ends accepted in time."""
        run.driver.click(NEXT)
        code, took = self.timed(lambda: run.exit_code(timeout=within + 5),
                                f"{self.id().rsplit('.', 1)[-1]}: Next to exit")
        self.assertEqual(code, 1, "exit code after Next")
        self.assertLess(took, within)

    def test_a_silent_stage_server_delays_neither_opening_nor_leaving(self):
        silent = {STAGE_PATH: Reply(fault="silent")}
        run, took = self.timed(lambda: self.open_page(FOUND, routes=silent), "silent stages: opening")
        self.assertLess(took, OPEN_WITHIN, "page shown and answering")
        run.driver.click(BACK)
        code, took = self.timed(lambda: run.exit_code(timeout=LEAVE_WITHIN + 5),
                                "silent stages: Back to exit")
        self.assertEqual((code, took < LEAVE_WITHIN), (0, True), f"left after {took:.1f} s")
        self.assertNothingCommitted(run)

    def test_search_faults_end_next_with_a_message_and_the_page_recovers(self):
        faults = {
            "silent": fault("silent"),
            "headers then stall": fault("stall"),
            "drip": fault("drip"),
            "redirect to itself": lambda r: Reply(302, b"", {"Location": r.path}),
            "huge answer": Reply(fault="huge", size=100 << 20),
        }
        for name, reply in faults.items():
            with self.subTest(fault=name):
                run = self.open_page(reply)
                self.refuse(run, f"search {name}")
                self.assertNothingCommitted(run)
                if name == "redirect to itself":
                    self.assertLessEqual(len(run.stub.paths()), 1 + 6, "redirects followed")

                run.stub.route("/search/search/", FOUND)
                self.accept(run)
                self.assertCommitted(run, SPRINGFIELD_IL)

    def test_a_stalled_search_never_flags_the_page_as_hung(self):
        run = self.open_page(fault("silent"))
        d = run.driver
        self.type_place_and_year(run, "Springfield")
        d.click(NEXT)
        d.post_click(BACK, 1)  # queued behind the search
        d.click(BACK)  # sent: reaches the page while it waits
        probes, hung, unanswered, worst = d.hungprobe(9000, 250)
        print(f"  stalled search: {probes} probes, {hung} flagged hung, {unanswered} WM_NULL "
              f"unanswered, worst WM_NULL {worst} ms", file=sys.stderr)
        self.assertEqual(d.box(SETUP_BOX, NEXT_WITHIN * 1000), NOT_RECOGNISED)
        self.assertFalse([p for p in run.stub.paths() if stage_of(p) in ENDING_STAGES], "no stage")
        self.assertEqual((hung, unanswered), (0, 0), f"out of {probes} probes")
        self.assertGreaterEqual(probes, 30)
        self.assertLessEqual(worst, 200, "ms to answer WM_NULL")
        d.box_ok(SETUP_BOX)
        self.assertPageWaits(run, journeys.PLACE)
        self.leave_by_back(run)
        self.assertNothingCommitted(run)

    def test_a_failing_detail_service_or_acceptance_report_still_accepts(self):
        accepted = STAGE_PATH + STAGE_ACCEPTED
        cases = {
            "detail drips": ({"/weather/local/": fault("drip")}, ("", "", "", "")),
            f"stage {STAGE_ACCEPTED} silent": ({accepted: Reply(fault="silent")}, None),
        }
        for name, (routes, details) in cases.items():
            with self.subTest(case=name):
                run = self.open_page(FOUND, routes=routes)
                self.type_place_and_year(run, "Springfield")
                self.accept(run)
                self.assertCommitted(run, SPRINGFIELD_IL, **({"details": details} if details else {}))

    def test_a_proxy_that_refuses_or_stays_silent_ends_next_with_the_message(self):
        for mood, within in (("refused", PROXY_REFUSED_WITHIN), ("silent", NEXT_WITHIN)):
            with self.subTest(proxy=mood), self.system_proxy(mood) as proxy:
                run, took = self.timed(lambda: self.open_page(FOUND), f"{mood} proxy: opening")
                self.assertLess(took, OPEN_WITHIN, "page shown and answering")
                self.refuse(run, f"{mood} proxy", within)
                self.assertEqual(run.stub.paths(), [], "nothing passes the proxy")
                if mood == "silent":
                    self.assertTrue(proxy.lines(), "the requests went to the proxy")
                self.assertNothingCommitted(run)
                run.stop()

    def test_a_proxy_asking_for_credentials_gets_the_message_and_no_prompt(self):
        with self.system_proxy("407") as proxy:
            run = self.open_page(FOUND)
            self.refuse(run, "407 proxy", PROXY_REFUSED_WITHIN)  # and no credential box anywhere
            self.assertTrue(proxy.lines())
            self.assertEqual(run.stub.paths(), [])
            run.driver.click(BACK)
            code, took = self.timed(lambda: run.exit_code(timeout=LEAVE_WITHIN + 5),
                                    "407 proxy: Back to exit")
            self.assertEqual((code, took < LEAVE_WITHIN), (0, True), f"left after {took:.1f} s")
            self.assertNothingCommitted(run)

    def test_a_working_proxy_carries_the_whole_page(self):
        with self.system_proxy("forward") as proxy:
            run = self.open_page(FOUND)
            self.type_place_and_year(run, "Springfield")
            self.accept(run)
            lines, paths = proxy.lines(), run.stub.paths()
        self.assertCommitted(run, SPRINGFIELD_IL)
        origin = f"http://127.0.0.1:{run.stub.port}"
        self.assertEqual(lines, [f"GET {origin}{path} HTTP/1.1" for path in paths],
                         "every request through the proxy, in absolute form")
        self.assertIn(f"GET {origin}/search/search/?where=Springfield HTTP/1.1", lines)

    def test_a_program_folder_the_code_page_cannot_name(self):
        run = self.open_page(FOUND, folder="東京フォルダ")
        self.type_place_and_year(run, "Springfield")
        self.accept(run)
        self.assertCommitted(run, SPRINGFIELD_IL)
        self.assertEqual(run.answer_file("loc.xml"), FOUND.body)

    def spare_folder(self):
        """The page's own folder under the user's temporary folder."""
        return os.path.join(journeys.SUITE.folders["temp"], "Nimbelle")

    def test_a_work_folder_that_cannot_be_written_gives_way_to_the_users_own(self):
        def file_in_the_way(run):
            with open(run.temp, "wb") as f:
                f.write(b"not a folder")

        def write_protected(run):
            os.makedirs(run.temp)
            self.freeze(run.temp)

        def full_disk(run):
            self.small_disk(run.temp, "64k")
            fill(os.path.join(run.temp, "filler"))

        def answers_in_the_way(run):  # the folder takes files, just not these two
            for name in ("loc.xml", "xloc.xml"):
                os.makedirs(os.path.join(run.temp, name))

        spare = self.spare_folder()
        for name, block in {"a file named temp": file_in_the_way,
                            "folders named as the answers": answers_in_the_way,
                            "a write-protected temp": write_protected,
                            "a full disk": full_disk}.items():
            with self.subTest(blocked_by=name):
                shutil.rmtree(spare, ignore_errors=True)
                run = self.open_page(xml(journeys.search_answer()), before_start=block,
                                     folder=f"blocked by {name}")
                self.type_place_and_year(run, "Nowhere")
                self.assertEqual(self.next_to_box(run, SETUP_BOX), NOT_RECOGNISED)
                run.driver.box_ok(SETUP_BOX)
                with open(os.path.join(spare, "loc.xml"), "rb") as f:
                    self.assertEqual(f.read(), xml(journeys.search_answer()).body)

                run.stub.route("/search/search/", FOUND)
                self.type_place_and_year(run, "Springfield")
                self.accept(run)
                self.assertCommitted(run, SPRINGFIELD_IL)
                for file, reply in (("loc.xml", FOUND), ("xloc.xml", xml(detail_answer()))):
                    with open(os.path.join(spare, file), "rb") as f:
                        self.assertEqual(f.read(), reply.body, file)
                if name == "a file named temp":
                    with open(run.temp, "rb") as f:
                        self.assertEqual(f.read(), b"not a folder", "the file is left alone")

    def test_temp_beside_the_program_is_tried_again_on_every_next(self):
        def write_protected(run):
            os.makedirs(run.temp)
            self.freeze(run.temp)

        run = self.open_page(xml(journeys.search_answer()), before_start=write_protected)
        self.type_place_and_year(run, "Nowhere")
        self.assertEqual(self.next_to_box(run, SETUP_BOX), NOT_RECOGNISED)
        run.driver.box_ok(SETUP_BOX)
        self.assertEqual(os.listdir(run.temp), [])

        subprocess.run(["chattr", "-i", run.temp], check=True, timeout=10)
        run.stub.route("/search/search/", FOUND)
        self.type_place_and_year(run, "Springfield")
        self.accept(run)
        self.assertEqual(run.answer_file("loc.xml"), FOUND.body)
        self.assertEqual(run.answer_file("xloc.xml"), xml(detail_answer()).body)

    def test_two_pages_sharing_temp_each_read_their_own_answer(self):
        hold = 1.5
        first = self.open_page(search_by_place(hold))
        d = first.driver
        second = d.run("Z:" + first.exe.replace("/", "\\"))  # the same copy, the same temp\
        self.addCleanup(d.exit_code, 1000)
        for pid, typed in ((second, "Shelbyville"), (first.pid, "Springfield")):
            d.attach_pid(pid)
            d.sync()
            self.type_place_and_year(first, typed)
        for pid in (first.pid, second):
            d.attach_pid(pid)
            d.click(NEXT)
        self.assertEqual(first.exit_code(timeout=NEXT_WITHIN), 1)
        self.assertEqual(d.exit_code(NEXT_WITHIN * 1000), 1)

        downloads = [r for r in first.stub.requests if "rnd=" in r.path and "where=" in r.path]
        self.assertEqual(len(downloads), 2)
        self.assertGreater(abs(downloads[1].at - downloads[0].at), hold * 0.9,
                           "the second download waited for the first page's reading")
        details = {r.route for r in first.stub.requests if r.route.startswith("/weather/")}
        self.assertEqual(details, {"/weather/local/" + p[0] for p in TWO_PLACES.values()},
                         "each page's details are for its own place")

    def machine(self, name, share):
        """Another machine: a Wine prefix made from the suite's (its large system folder
        linked, not copied), with its own server, driver and apps.ini, and N: on share, which
        it reports as a network drive. Its locks cannot see the suite's or another's."""
        source = journeys.SUITE.env["WINEPREFIX"]
        prefix = os.path.join(journeys.SUITE.work, name)
        shutil.rmtree(prefix, ignore_errors=True)
        shutil.copytree(source, prefix, symlinks=True, ignore=lambda folder, names: [
            n for n in names if (folder == source and n == "wineserver")
            or (folder == os.path.join(source, "drive_c") and n == "windows")])
        subprocess.run(["cp", "-al", os.path.join(source, "drive_c", "windows"),
                        os.path.join(prefix, "drive_c")], check=True, timeout=60)
        with open(os.path.join(prefix, "system.reg"), "a", encoding="ascii") as f:
            f.write('\n[Software\\\\Wine\\\\Drives] 1\n"n:"="network"\n')
        os.symlink(share, os.path.join(prefix, "dosdevices", "n:"))
        env = dict(journeys.SUITE.env, WINEPREFIX=prefix)
        apps_ini = os.path.join(prefix, os.path.relpath(journeys.SUITE.apps_ini, source))
        machine = types.SimpleNamespace(driver=Driver(journeys.SUITE.driver_exe, env),
                                        apps_ini=apps_ini, prefix=prefix)

        def gone():
            machine.driver.quit()
            subprocess.run(wineserver("-k"), env=env, timeout=30)
            shutil.rmtree(prefix, ignore_errors=True)
        self.addCleanup(gone)
        return machine

    def test_two_machines_running_one_copy_from_a_network_drive_save_their_own_places(self):
        """One copy of the page on a network drive, two machines pressing Next together,
        round after round: each saves its own place, and no answer lands on the share."""
        places, rounds = TWO_PLACES, 5
        share = os.path.join(journeys.SUITE.work, "network-share")
        shutil.rmtree(share, ignore_errors=True)
        os.makedirs(share)
        shutil.copy(journeys.SUITE.exe, os.path.join(share, "NimbelleSetup.exe"))
        stub = journeys.SUITE.stub
        stub.clear()
        stub.default_routes()
        stub.route("/search/search/", search_by_place(0.5))
        stub.route("/weather/local/", xml(detail_answer()))
        machines = [self.machine(f"machine-{n}", share) for n in "ab"]
        for round_ in range(rounds):
            for machine, typed in zip(machines, places):
                os.makedirs(os.path.dirname(machine.apps_ini), exist_ok=True)
                with open(machine.apps_ini, "w", encoding="ascii", newline="") as f:
                    f.write(f"[Software\\Talvora]\r\nInstallID={journeys.PageRun.INSTALL_ID}\r\n")
                machine.driver.attach_pid(machine.driver.run("N:\\NimbelleSetup.exe"))
                machine.driver.sync()
                self.type_place_and_year(machine, typed)
            for machine in machines:
                machine.driver.click(NEXT)
            for machine, place in zip(machines, places.values()):
                self.assertEqual(machine.driver.exit_code(NEXT_WITHIN * 1000), 1, round_)
                self.assertEqual(profile_keys_in(read_ini(machine.apps_ini))[LOC_ID], place[0],
                                 f"round {round_}: each machine saves its own place")
        self.assertFalse(os.path.exists(os.path.join(share, "temp", "loc.xml")))

    def test_answers_that_cannot_be_saved_keep_the_page_until_they_can(self):
        ini = journeys.SUITE.apps_ini
        link = os.path.join(os.path.dirname(ini), "linked.ini")

        def settings_file_a_folder(run):
            os.remove(ini)
            os.makedirs(ini)

        def settings_file_back(run):
            os.rmdir(ini)
            with open(ini, "wb") as f:
                f.write(run.initial_ini)

        def lock_a_folder_and_file_linked(run):  # only in place, and no lock for that
            os.makedirs(ini + ".lock")
            self.addCleanup(shutil.rmtree, ini + ".lock", ignore_errors=True)
            os.link(ini, link)
            self.addCleanup(os.remove, link)

        def keep_changing(run):  # another program rewriting apps.ini all through the commit
            stop = threading.Event()

            def rewrite():
                for n in itertools.count():
                    if stop.wait(0.002):
                        return
                    with open(ini + ".other", "wb") as f:
                        f.write(run.initial_ini + f"[Other\\Program]\r\nround={n}\r\n".encode())
                    os.replace(ini + ".other", ini)
            writer = threading.Thread(target=rewrite, daemon=True)
            writer.start()
            run.settle = lambda: (stop.set(), writer.join())
            self.addCleanup(run.settle)

        cases = {
            "a folder named apps.ini": (settings_file_a_folder, settings_file_back, REASON),
            "a folder named apps.ini.lock, apps.ini linked": (
                lock_a_folder_and_file_linked, lambda run: os.rmdir(ini + ".lock"),
                r"\r\n\r\nA folder named apps\.ini\.lock beside it is in the way\. "
                r"Please remove it\.$"),
            # last: a failure leaves the writer running until the end of the test
            "another program changing apps.ini": (
                keep_changing, lambda run: run.settle(),
                r"\r\n\r\nAnother program kept changing the settings file\. "
                r"Please try again in a moment\.$"),
        }
        for name, (block, unblock, reason) in cases.items():
            with self.subTest(blocked_by=name):
                run = self.open_page(FOUND, before_start=block)
                self.type_place_and_year(run, "Springfield")
                text = self.next_to_box(run, SETUP_BOX)
                self.assertRegex(text, UNSAVED + reason)
                run.driver.box_ok(SETUP_BOX)
                self.assertIsNone(run.process.poll(), "the page must stay open")
                self.assertFalse([p for p in run.stub.paths() if stage_of(p) == STAGE_ACCEPTED],
                                 f"no stage {STAGE_ACCEPTED}")

                unblock(run)
                run.stub.clear()
                self.accept(run)
                self.assertEqual(run.stub.paths(), [run.beacon(STAGE_ACCEPTED)],
                                 "no new search, then accepted")
                self.assertCommitted(run, SPRINGFIELD_IL)

    def test_a_settings_lock_held_by_another_program_is_named_as_the_reason(self):
        run = self.open_page(FOUND)
        lock = "Z:" + (run.suite.apps_ini + ".lock").replace("/", "\\")
        run.driver.hold(lock)
        self.type_place_and_year(run, "Springfield")
        text, took = self.timed(lambda: self.next_to_box(run, SETUP_BOX), "held lock: Next to box")
        self.assertRegex(text, UNSAVED + r"\r\n\r\n"
                               r"Another program is saving these settings right now\. "
                               r"Please try again in a moment\.$")
        self.assertLess(took, NEXT_WITHIN)
        self.assertNothingCommitted(run)
        run.driver.box_ok(SETUP_BOX)
        run.driver.release()
        self.accept(run)
        self.assertCommitted(run, SPRINGFIELD_IL)

    def test_a_settings_folder_that_takes_no_new_file_still_saves_in_place(self):
        """No lock file and no copy can be made beside apps.ini, yet apps.ini itself can be
        written: the answers go into it in place, as before copies were made."""
        folder = os.path.dirname(journeys.SUITE.apps_ini)

        run = self.open_page(FOUND, before_start=lambda run: self.freeze(folder))
        self.type_place_and_year(run, "Springfield")
        self.accept(run)
        self.assertCommitted(run, SPRINGFIELD_IL)
        self.assertEqual(os.listdir(folder), [SETTINGS_FILE])

    def test_a_full_disk_leaves_apps_ini_as_it_was(self):
        """apps.ini (old profile first, InstallID last) on a small file system with no room
        left: Next reports the answers unsaved, and apps.ini keeps every byte through Back."""
        mount = os.path.join(journeys.SUITE.work, "full-disk")
        self.small_disk(mount, "256k")
        folder = os.path.dirname(journeys.SUITE.apps_ini)
        shutil.rmtree(folder, ignore_errors=True)
        os.symlink(mount, folder)
        self.addCleanup(os.makedirs, folder)
        self.addCleanup(os.unlink, folder)

        # Sized to end just short of a 4 KiB page: the page's keys need a page more than
        # rewriting the file frees.
        head = (f"[{PROFILE_SECTION}]\r\n{YOB.name}=60\r\n{GENDER.name}=M\r\n"
                f"{LOC_ID.name}=USNY0996\r\n[Other\\Program]\r\n"
                + "".join(f"key{n:04d}=value {n}\r\n" for n in range(1000)))
        tail = f"[Software\\Talvora]\r\nInstallID={journeys.PageRun.INSTALL_ID}\r\n"
        pad = 5 * 4096 - 80 - len(head) - len(tail) - len("pad=\r\n")
        old = head + "pad=" + "p" * pad + "\r\n" + tail

        def fill_disk(run):
            run.initial_ini = old.encode("ascii")
            with open(run.suite.apps_ini, "wb") as f:
                f.write(run.initial_ini)
            fill(os.path.join(mount, "filler"))

        def assert_untouched(when):
            now = run.ini_bytes()
            self.assertTrue(now == run.initial_ini,
                            f"{when}: apps.ini changed from {len(run.initial_ini)} to {len(now)}"
                            f" bytes, InstallID {'kept' if b'InstallID=' in now else 'lost'}")

        run = self.open_page(FOUND, before_start=fill_disk)
        self.type_place_and_year(run, "Springfield")
        run.driver.click(NEXT)
        try:
            text = run.driver.box(SETUP_BOX)
        except DriverError:  # the page ended: it took the answers for saved
            text = None
        assert_untouched("after Next")
        self.assertRegex(text or f"exit code {run.exit_code()}", UNSAVED + REASON)
        run.driver.box_ok(SETUP_BOX)
        self.assertEqual(sorted(os.listdir(mount)), [SETTINGS_FILE, "filler"], "no copy left")
        self.leave_by_back(run)
        assert_untouched("after Back")

    def test_libraries_planted_beside_the_program_are_never_loaded(self):
        def plant(run):
            for name in PLANTED:
                shutil.copy(journeys.SUITE.planted, os.path.join(run.folder, name))

        overrides = os.environ.get("WINEDLLOVERRIDES", "")
        native_first = ",".join(name[:-4] for name in PLANTED) + "=n,b"
        run = self.open_page(FOUND, before_start=plant, env={
            "WINEDLLOVERRIDES": ";".join(filter(None, [overrides, native_first]))})
        self.type_place_and_year(run, "Springfield")
        self.accept(run)
        self.assertCommitted(run, SPRINGFIELD_IL)
        loaded = [n for n in PLANTED if os.path.exists(os.path.join(run.folder, n + ".loaded"))]
        self.assertEqual(loaded, [])

        imports = subprocess.run([journeys.SUITE.objdump, "-p", journeys.SUITE.exe], check=True,
                                 capture_output=True, text=True, timeout=30).stdout
        names = {m.lower() for m in re.findall(r"DLL Name: (\S+)", imports)}
        self.assertTrue(names and names <= KNOWN_LIBRARIES, sorted(names - KNOWN_LIBRARIES))


if __name__ == "__main__":
    sys.exit(journeys.main())
