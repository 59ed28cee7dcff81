#!/usr/bin/env python3
"""Pages committing at the same instant, in as many processes, over many rounds: apps.ini
(another program's InstallID and 20,000 other keys, or as many as fill --size bytes) must keep
every other key and end with one page's whole profile, and every page must report its answers
saved. Each round says when its slowest page was done, counted from the common start: the
settings lock's wait must cover it.

With --lock-in-the-way, something no page can take stands where the settings lock belongs: a
folder named apps.ini.lock, or the lock file held open by another process that shares it for
reading and writing but not for deleting. The pages may then report their answers unsaved, but
apps.ini must still keep every other key, and hold the whole profile of a page that reported
it saved, or none when no page did.

  commit_race.py --exe CommitRace.exe [--rounds N] [--pages N] [--size BYTES]
                 [--lock-in-the-way folder|held]
  (WINEPREFIX names the tests' prefix)
"""

import contextlib

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
from crowded_ini import lost_keys, other_program_ini  # noqa: E402
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
    """What is wrong with apps.ini after a round; an empty list when nothing is. tags: the
    pages that reported their answers saved, one of whose profiles apps.ini must hold; none
    at all when no page did."""
    found = read_ini(ini_path)
    faults = lost_keys(found, others)
    place = [found.get(key.section, {}).get(key.name) for key in PLACE_KEYS]
    places = set(place)
    if len(places) != 1 or places.pop() not in (tags or [None]):
        faults.append(f"profile torn or missing: {place}")
    return faults


@contextlib.contextmanager
def lock_in_the_way(how, ini_path, exe, env):
    """For one round, what keeps every page from the settings lock."""
    lock = ini_path + ".lock"
    if how == "folder":
        os.makedirs(lock)
        try:
            yield
        finally:
            os.rmdir(lock)
        return
    windows_lock = "Z:" + lock.replace("/", "\\")
    holder = subprocess.Popen(wine(exe, "--hold", windows_lock), env=env, stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        said = holder.stdout.readline().decode().strip()
        if said != "held":
            raise SystemExit(f"commit_race: the lock's holder said {said or 'nothing'}")
        yield
    finally:
        holder.stdin.close()
        holder.wait(timeout=60)
    if os.path.exists(lock):
        os.remove(lock)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--rounds", type=int, default=6)
    parser.add_argument("--keys", type=int, default=20000)
    parser.add_argument("--pages", type=int, default=2)
    parser.add_argument("--size", type=int, help="bytes of apps.ini (instead of --keys)")
    parser.add_argument("--lock-in-the-way", choices=("folder", "held"))
    args = parser.parse_args()
    env = dict(os.environ)
    ini_path = apps_ini_path(user_folders(env))
    keys = keys_for(args.size) if args.size else args.keys
    others, text = other_program_ini(VENDOR_SECTION, INSTALL_ID, keys)
    blocked = args.lock_in_the_way
    print(f"{args.pages} pages, apps.ini of {len(text):,} bytes"
          f"{f', the lock in the way: {blocked}' if blocked else ''}", flush=True)
    failed = 0
    slowest = 0
    unsaved = 0
    for round_ in range(1, args.rounds + 1):
        os.makedirs(os.path.dirname(ini_path), exist_ok=True)
        with open(ini_path, "wb") as f:
            f.write(text)
        tags = [f"{chr(ord('A') + page)}{round_}" for page in range(args.pages)]
        with lock_in_the_way(blocked, ini_path, args.exe, env) if blocked else \
                contextlib.nullcontext():
            start = int((time.time() + START_AFTER + START_PER_PAGE * args.pages) * 1000)
            pages = [subprocess.Popen(wine(args.exe, tag, start), env=env,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                     for tag in tags]
            said = [p.communicate(timeout=180)[0].decode().strip() for p in pages]
        saved = [tag for tag, p in zip(tags, pages) if p.returncode == 0]
        faults = check_round(ini_path, others, saved if blocked else tags)
        faults += [f"{tag}: {s or 'no answer'}" for tag, s, p in zip(tags, said, pages)
                   if p.returncode != 0 and not (blocked and p.returncode == 1)]
        unsaved += len(tags) - len(saved)
        failed += bool(faults)
        done = [int(s.split()[-3]) for s in said if s.split()[-2:-1] == ["late"]]
        late = [int(s.split()[-1]) for s in said if s.split()[-2:-1] == ["late"]]
        slowest = max([slowest] + done)
        timing = (f"; slowest page done {max(done)} ms after the common start"
                  f"{f', one started {max(late)} ms late' if late and max(late) > 50 else ''}"
                  if done else "")
        print(f"round {round_}: {'; '.join(faults) if faults else 'whole'}{timing}", flush=True)
    print(f"commit_race: {failed} of {args.rounds} rounds lost data or answers; slowest page "
          f"done {slowest} ms after the common start; {unsaved} of {args.rounds * args.pages} "
          "commits reported unsaved")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
