#!/usr/bin/env python3
"""Pages committing at the same instant, in as many processes, over many rounds: apps.ini
(another program's InstallID and 20,000 other keys, or as many as fill --size bytes) must keep
every other key and end with one page's whole profile, and every page must report its answers
saved. Each round says when its slowest page was done, counted from the common start: the
settings lock's wait must cover it.

  commit_race.py --exe CommitRace.exe [--rounds N] [--pages N] [--size BYTES]
  (WINEPREFIX names the tests' prefix)
"""

import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "app"))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from contract import (LOC_COUNTRY, LOC_DISPLAY_NAME, LOC_DMA, LOC_ID, LOC_STATE,  # noqa: E402
                      LOC_TYPE, LOC_ZIP)
from crowded_ini import other_program_ini  # noqa: E402
from pagerun import VENDOR_SECTION, apps_ini_path, read_ini, user_folders  # noqa: E402
from winecmd import wine  # noqa: E402

# The keys CommitRace fills with its tag.
PLACE_KEYS = (LOC_COUNTRY, LOC_DISPLAY_NAME, LOC_DMA, LOC_ID, LOC_STATE, LOC_TYPE, LOC_ZIP)
INSTALL_ID = "RACE0042"
# Seconds until the common start: every Wine process is up and waiting by then.
START_AFTER, START_PER_PAGE = 2.0, 0.5


def keys_for(size):
    """How many other keys make apps.ini about `size` bytes (longer numbers take more bytes
    per key as the count grows, so the guess is made again at the size guessed)."""
    keys = 1000
    for _ in range(3):
        keys = max(1, size * keys // len(other_program_ini(VENDOR_SECTION, INSTALL_ID, keys)[1]))
    return keys


def check_round(ini_path, others, tags):
    """What is wrong with apps.ini after a round; an empty list when nothing is."""
    found = read_ini(ini_path)
    faults = []
    for name, entries in others.items():
        kept = found.get(name, {})
        lost = [k for k, v in entries.items() if kept.get(k) != v]
        if lost:
            faults.append(f"[{name}] lost {len(lost)} of {len(entries)} keys")
    place = [found.get(key.section, {}).get(key.name) for key in PLACE_KEYS]
    places = set(place)
    if len(places) != 1 or places.pop() not in tags:
        faults.append(f"profile torn or missing: {place}")
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--rounds", type=int, default=6)
    parser.add_argument("--keys", type=int, default=20000)
    parser.add_argument("--pages", type=int, default=2)
    parser.add_argument("--size", type=int, help="bytes of apps.ini (instead of --keys)")
    args = parser.parse_args()
    env = dict(os.environ)
    ini_path = apps_ini_path(user_folders(env))
    keys = keys_for(args.size) if args.size else args.keys
    others, text = other_program_ini(VENDOR_SECTION, INSTALL_ID, keys)
    print(f"{args.pages} pages, apps.ini of {len(text):,} bytes", flush=True)
    failed = 0
    slowest = 0
    for round_ in range(1, args.rounds + 1):
        os.makedirs(os.path.dirname(ini_path), exist_ok=True)
        with open(ini_path, "wb") as f:
            f.write(text)
        tags = [f"{chr(ord('A') + page)}{round_}" for page in range(args.pages)]
        start = int((time.time() + START_AFTER + START_PER_PAGE * args.pages) * 1000)
        pages = [subprocess.Popen(wine(args.exe, tag, start), env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL) for tag in tags]
        said = [p.communicate(timeout=180)[0].decode().strip() for p in pages]
        faults = check_round(ini_path, others, tags)
        faults += [f"{tag}: {s or 'no answer'}" for tag, s, p in zip(tags, said, pages)
                   if p.returncode != 0]
        failed += bool(faults)
        done = [int(s.split()[-3]) for s in said if s.split()[-2:-1] == ["late"]]
        late = [int(s.split()[-1]) for s in said if s.split()[-2:-1] == ["late"]]
        slowest = max([slowest] + done)
        timing = (f"; slowest page done {max(done)} ms after the common start"
                  f"{f', one started {max(late)} ms late' if late and max(late) > 50 else ''}"
                  if done else "")
        print(f"round {round_}: {'; '.join(faults) if faults else 'whole'}{timing}", flush=True)
    print(f"commit_race: {failed} of {args.rounds} rounds lost data or answers; slowest page "
          f"done {slowest} ms after the common start")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
