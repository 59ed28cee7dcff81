#!/usr/bin/env python3
"""The page ended at many different moments of Next's commit. apps.ini holds another
program's InstallID and 20,000 other keys; after every kill it must hold every one of them and
either none or all of the page's keys. Copies a killed commit left behind must be gone
once the next page has committed.

Same harness and arguments as journeys.py, plus --kills N (how many pages to end).
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "support"))

import journeys  # noqa: E402
from journeys import NEXT, SPRINGFIELD_IL, Journey, search_answer  # noqa: E402
from contract import PROFILE_KEYS, SETTINGS_FILE  # noqa: E402
from crowded_ini import lost_keys, other_program_ini  # noqa: E402
from pagerun import PageRun, VENDOR_SECTION, read_ini  # noqa: E402
from vendor_stub import xml  # noqa: E402

KILLS = 30
OTHER_KEYS = 20000
FOUND = xml(search_answer(SPRINGFIELD_IL))
ALL = len(PROFILE_KEYS)
GOLDEN = 0.6180339887


OTHERS, OTHERS_TEXT = other_program_ini(VENDOR_SECTION, PageRun.INSTALL_ID, OTHER_KEYS)


def folder_state(folder):
    """What a change of the folder of apps.ini shows in: names, sizes and write times."""
    try:
        return frozenset((e.name, e.stat().st_size, e.stat().st_mtime_ns)
                         for e in os.scandir(folder))
    except FileNotFoundError:
        return frozenset()


def copies(folder):
    """The commits' private copies. Not the lock file beside them: a killed page's lock goes
    when the system has closed that page's handles, which it does in its own time."""
    return sorted(n for n in os.listdir(folder)
                  if n.startswith(SETTINGS_FILE + ".") and n.endswith(".commit"))


class KillStress(Journey):
    def start_next(self):
        """A page with the large apps.ini, Next clicked; the folder's state before the click."""
        def large_ini(run):
            with open(run.suite.apps_ini, "wb") as f:
                f.write(OTHERS_TEXT)
            run.initial_ini = OTHERS_TEXT

        run = self.open_page(FOUND, folder="killstress", before_start=large_ini)
        self.type_place_and_year(run, "Springfield")
        folder = os.path.dirname(run.suite.apps_ini)
        before = folder_state(folder)
        run.driver.click(NEXT)
        return run, folder, before

    def first_change(self, run, folder, before, within=30):
        deadline = time.monotonic() + within
        while time.monotonic() < deadline and run.process.poll() is None:
            if folder_state(folder) != before:
                return time.monotonic()
            time.sleep(0.0005)
        self.fail("apps.ini's folder did not change during Next")

    def keys_left(self, run):
        """How many of the page's keys apps.ini holds; a failure when anything else is lost."""
        with open(run.suite.apps_ini, "rb") as f:
            data = f.read()
        self.assertTrue(data, "apps.ini is empty")
        found = read_ini(run.suite.apps_ini)
        self.assertEqual(lost_keys(found, OTHERS), [])
        return sum(1 for key in PROFILE_KEYS if key.name in found.get(key.section, {}))

    def commit_duration(self):
        """From the first change of the folder to its last one, in an undisturbed Next."""
        run, folder, before = self.start_next()
        last = first = self.first_change(run, folder, before)
        state = folder_state(folder)
        while run.process.poll() is None:
            now = folder_state(folder)
            if now != state:
                state, last = now, time.monotonic()
            time.sleep(0.0005)
        self.assertEqual(run.exit_code(), 1)
        self.assertEqual(self.keys_left(run), ALL)
        return last - first

    def test_a_page_ended_at_any_moment_of_next_leaves_none_or_all(self):
        span = self.commit_duration()
        outcomes = {0: 0, ALL: 0}
        ended = []  # the ended pages' process ids, which the copies' names carry
        for n in range(KILLS):
            delay = span * 1.2 * ((n * GOLDEN) % 1.0)
            run, folder, before = self.start_next()
            changed = self.first_change(run, folder, before)
            time.sleep(max(0.0, changed + delay - time.monotonic()))
            run.stop()  # kill -9 of the page's process
            with self.subTest(kill=n, delay_ms=round(delay * 1000)):
                left = self.keys_left(run)
                self.assertIn(left, (0, ALL), "a partial profile")
                outcomes[left] = outcomes.get(left, 0) + 1
                ended.append(run.pid)
                self.assertLessEqual(len(copies(folder)), 1,
                                     f"copies of ended pages remain: {copies(folder)}; "
                                     f"the pages ended so far: {ended}")
        print(f"\n  kill stress: {KILLS} kills over {span * 1200:.0f} ms after the first change:"
              f" {outcomes[0]} left apps.ini as it was, {outcomes[ALL]} with the whole profile,"
              f" {KILLS - outcomes[0] - outcomes[ALL]} torn", file=sys.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--kills", type=int, default=KILLS)
    known, sys.argv[1:] = parser.parse_known_args()
    KILLS = known.kills
    sys.exit(journeys.main())
