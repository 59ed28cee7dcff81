#!/usr/bin/env python3
"""The long fuzzing campaign of the answer readers: runs answer_fuzz over many inputs in
chunks, starting again after an input that crashed or overran (each is reported and kept as
a file for a regression case), and prints the count, the time and the slowest input.

  run_fuzz.py --exe build-win64/tests/location/answer_fuzz.exe [--seed 1] [--count 100000]

Needs WINEPREFIX (the tests' prefix) in the environment.
"""

import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "tools", "wine"))
from winecmd import wine  # noqa: E402

SUMMARY = re.compile(r"inputs (\d+)\.\.(\d+): (\d+) ms, slowest input (\d+) \((\d+) ms\), "
                     r"digest (\w+), broken rules (\d+)")
STOPPED = re.compile(r"^(CRASH|SLOW) input (\d+)", re.M)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=100000)
    parser.add_argument("--chunk", type=int, default=10000)
    parser.add_argument("--keep", default="fuzz-findings", help="folder for inputs that broke a rule")
    args = parser.parse_args()
    os.makedirs(args.keep, exist_ok=True)
    env = dict(os.environ, WINEDEBUG="-all")
    start, first, end = time.monotonic(), 0, args.count
    done, slowest, broken, findings, digests = 0, (None, -1), 0, [], []
    while first < end:
        count = min(args.chunk, end - first)
        out = subprocess.run(wine(args.exe, "--seed", args.seed, "--first", first, "--count", count),
                             env=env, capture_output=True, text=True, timeout=3600).stdout
        print(out.strip(), flush=True)
        stopped = STOPPED.search(out)
        summary = SUMMARY.search(out)
        broken += len(re.findall(r"^RULE ", out, re.M))
        for index in re.findall(r"^(?:RULE|CRASH|SLOW) input (\d+)", out, re.M):
            findings.append(int(index))
        if summary:
            done += count
            digests.append(summary.group(6))
            if int(summary.group(5)) > slowest[1]:
                slowest = (int(summary.group(4)), int(summary.group(5)))
            first += count
        elif stopped:
            done += int(stopped.group(2)) - first + 1
            first = int(stopped.group(2)) + 1
        else:
            print(f"run_fuzz: no summary for inputs from {first}", file=sys.stderr)
            return 2
    for index in sorted(set(findings)):
        path = os.path.abspath(os.path.join(args.keep, f"seed{args.seed}-input{index}.xml"))
        subprocess.run(wine(args.exe, "--seed", args.seed, "--write", index, "Z:" + path.replace("/", "\\")),
                       env=env, timeout=120)
    took = time.monotonic() - start
    print(f"run_fuzz: seed {args.seed}, {done} inputs in {took:.0f} s, slowest input "
          f"{slowest[0]} ({slowest[1]} ms), rules broken {broken}, inputs kept "
          f"{sorted(set(findings))}, chunk digests {' '.join(digests)}")
    return 0 if not findings else 1


if __name__ == "__main__":
    sys.exit(main())
