#!/usr/bin/env python3
"""Measures the setup page against its floors, in one run of interleaved rounds.

Floors: BenchFloor.exe (the page's template and nothing else, built like the page) for the
window and the size, BenchFloorStage.exe (the same plus the stage 17 report the page must
make before it shows) to split the first paint, BenchGets.exe (the bare requests Next must make) for the network, and
the answer reader alone (BenchParse.exe) for the walk; BenchNextSteps.exe times Next's
steps one by one inside one process. Everything runs under Wine in a
1024x768 virtual desktop on its own Xvfb, against a local stub on 127.0.0.1; the page is
scripted from outside through the page driver, so every time is what a user would see.
Medians over the rounds are printed with their ratios; the first round only warms up.
"""

import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
sys.path.insert(0, os.path.join(ROOT, "tools", "pagedriver"))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from contract import STAGE_ACCEPTED, STAGE_OPENED, stage_path  # noqa: E402
from pagedriver import Driver  # noqa: E402
from winecmd import wine, wineserver  # noqa: E402
from vendor_stub import VendorStub, xml  # noqa: E402

PICKER = "Select City"
NEXT, BACK, PLACE, YEAR = 1, 2, 1000, 1005
PICKER_CANCEL = 2
PLACE_TYPED = "Springfield"
DETAIL = ('<weather ver="1.0"><eloc><ctry>US</ctry><dma>648</dma><st>IL</st><zip>62701</zip>'
          "</eloc></weather>")
PICKER_SIZES = (2000, 20000)
PARSE_SIZES = (5000, 20000, 80000)

# The shipped page travels inside the installer: stripped, it stays under this.
SIZE_BUDGET = 300 * 1024


def search_answer(count):
    locs = "".join(f'<loc id="USXX{i:05d}" type="1">Springfield {i}, XX</loc>'
                   for i in range(count))
    return f'<search ver="1.0">{locs}</search>'


def peak_kb(pid):
    """Peak resident size of the Wine process (the program's own, same pid after exec)."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


class Bench:
    def __init__(self, args, env):
        self.args = args
        self.env = env
        self.work = os.path.abspath(args.work)
        self.stub = VendorStub(args.port).start()
        self.driver = Driver(args.driver, env)
        self.samples = {}
        self.programs = {}
        for name, exe in (("page", args.page), ("floor", args.floor),
                          ("stage", args.floor_stage)):
            folder = os.path.join(self.work, name)
            os.makedirs(folder, exist_ok=True)
            self.programs[name] = os.path.join(folder, os.path.basename(exe))
            shutil.copy(exe, self.programs[name])
        self.answers = {}
        for count in PARSE_SIZES:
            path = os.path.join(self.work, f"search-{count}.xml")
            with open(path, "w", encoding="ascii") as f:
                f.write(search_answer(count))
            self.answers[count] = path
        self.picker_bodies = {n: xml(search_answer(n)) for n in PICKER_SIZES}

    def add(self, key, value):
        self.samples.setdefault(key, []).append(value)

    def close(self):
        self.driver.quit()
        self.stub.stop()

    # -- one program run -----------------------------------------------------------------
    def launch(self, name):
        """Starts a program; (process, ms from launch until shown and answering, peak KB)."""
        start = time.monotonic()
        process = subprocess.Popen(wine(self.programs[name]), env=self.env,
                                   cwd=os.path.dirname(self.programs[name]),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        answer = self.driver.attach()
        if not answer.startswith("ok"):
            process.kill()
            raise SystemExit(f"bench: {name} did not show: {answer!r}")
        self.driver.sync()
        shown = (time.monotonic() - start) * 1000
        return process, shown, peak_kb(process.pid)

    def click_to_exit(self, process, control):
        # A plain wait returns the moment the process ends; a wait with a time-out polls at
        # growing intervals (about 16 ms by then), so a watchdog bounds it instead.
        watchdog = threading.Timer(60, process.kill)
        watchdog.start()
        try:
            start = time.monotonic()
            self.driver.click(control)
            code = process.wait()
            return (time.monotonic() - start) * 1000, code
        finally:
            watchdog.cancel()

    def run_window(self, name, leave, counted):
        self.stub.route("/search/search/", xml(search_answer(1)))
        self.stub.route("/weather/local/", xml(DETAIL))
        process, shown, peak = self.launch(name)
        if name == "page" and leave == NEXT:
            self.driver.set_text(PLACE, PLACE_TYPED)
            self.driver.select_string(YEAR, "1975")
            self.driver.sync()
        took, code = self.click_to_exit(process, leave)
        expected = 1 if leave == NEXT else 0
        if code != expected:
            raise SystemExit(f"bench: {name} ended with {code}, expected {expected}")
        if counted:
            self.add(("paint", name), shown)
            self.add(("peak", name), peak)
            self.add(("next" if leave == NEXT else "back", name), took)
        return took

    def run_picker(self, count, counted):
        self.stub.route("/search/search/", self.picker_bodies[count])
        process, _, _ = self.launch("page")
        self.driver.set_text(PLACE, PLACE_TYPED)
        self.driver.select_string(YEAR, "1975")
        self.driver.sync()
        start = time.monotonic()
        self.driver.click(NEXT)
        if self.driver.wait(PICKER, 120000) != "ok":
            raise SystemExit(f"bench: no picker for {count} matches")
        self.driver.sync(120000)
        took = (time.monotonic() - start) * 1000
        self.driver.use(PICKER)
        self.driver.click(PICKER_CANCEL)
        self.driver.gone(PICKER)
        self.driver.use()
        self.click_to_exit(process, BACK)
        if counted:
            self.add(("picker", count), took)

    def run_gets(self, counted):
        base = f"http://127.0.0.1:{self.args.port}"
        urls = [base + stage_path(STAGE_OPENED),
                f"{base}/search/search/?where={PLACE_TYPED}",
                f"{base}/search/search/?where={PLACE_TYPED}&rnd=4242",
                f"{base}/weather/local/USXX00000?eloc=%2A&rnd=4243",
                base + stage_path(STAGE_ACCEPTED)]
        out = subprocess.run(wine(self.args.gets, *urls), env=self.env, check=True,
                             capture_output=True, text=True, timeout=60).stdout.split()
        if counted:
            self.add("gets", int(out[2]) / 1000)

    def run_steps(self, counted):
        self.stub.route("/search/search/", xml(search_answer(1)))
        self.stub.route("/weather/local/", xml(DETAIL))
        base = f"http://127.0.0.1:{self.args.port}"
        folder = os.path.join(self.work, "steps")
        os.makedirs(folder, exist_ok=True)
        windows_folder = "Z:" + folder.replace("/", "\\") + "\\"
        out = subprocess.run(wine(self.args.steps, f"{base}/search/search/?where={PLACE_TYPED}",
                              f"{base}/weather/local/USXX00000?eloc=*", windows_folder),
                             env=self.env, check=True, capture_output=True, text=True,
                             timeout=60).stdout.split("\n")
        for line in filter(None, out):
            _, name, micros = line.split()
            if counted:
                self.add(("step", name), int(micros) / 1000)

    def run_parse(self, counted):
        files = [self.answers[n] for n in PARSE_SIZES]
        out = subprocess.run(wine(self.args.parse, *files), env=self.env, check=True,
                             capture_output=True, text=True, timeout=600).stdout.split("\n")
        for line in filter(None, out):
            _, matches, micros = line.split()
            if counted:
                self.add(("parse", int(matches)), int(micros) / 1000)

    def round(self, number, counted):
        # Alternate who goes first, so a drift of the machine hits both sides alike; each
        # ratio is taken within a round, between runs made next to each other.
        order = ("floor", "stage", "page") if number % 2 else ("page", "stage", "floor")
        for _ in range(self.args.launches):
            paints = {}
            for name in order:
                self.run_window(name, BACK, counted)
                paints[name] = self.samples[("paint", name)][-1] if counted else None
            if counted:
                self.add(("paint ratio", "page"), paints["page"] / paints["floor"])
                self.add(("paint ratio", "stage"), paints["stage"] / paints["floor"])
        backs, nexts = {}, {}
        for name in order:
            if name != "stage":
                nexts[name] = self.run_window(name, NEXT, counted)
                backs[name] = self.run_window(name, BACK, counted)
        if counted:
            self.add("own", nexts["page"] - backs["page"])
        self.run_gets(counted)
        self.run_steps(counted)
        for count in PICKER_SIZES:
            self.run_picker(count, counted)
        self.run_parse(counted)


def median(values):
    return statistics.median(values)


def ratio_line(label, page, floor, unit="ms", floor_name="floor"):
    return f"{label}: {page:.0f} {unit} vs {floor:.0f} {unit} {floor_name}, {page / floor:.2f}×"


def report(bench, sizes, rounds):
    s = {k: median(v) for k, v in bench.samples.items()}
    spread = {k: (min(v), max(v)) for k, v in bench.samples.items()}
    lines = [
        ratio_line("first paint", s[("paint", "page")], s[("paint", "floor")])
        + f" (paired: {s[('paint ratio', 'page')]:.2f}×)",
        ratio_line("  floor + COM + stage 17 report, the work required before showing",
                   s[("paint", "stage")], s[("paint", "floor")])
        + f" (paired: {s[('paint ratio', 'stage')]:.2f}×)",
        ratio_line("Back, click to exit", s[("back", "page")], s[("back", "floor")]),
        ratio_line("Next, click to exit", s[("next", "page")], s[("next", "floor")]),
        ratio_line("Next's own work (Next - Back)", s["own"], s["gets"],
                   floor_name="for the four bare GETs"),
    ]
    steps = [k[1] for k in bench.samples if k[0] == "step"]
    own_steps = [name for name in steps if name != "stage-90"]
    lines.append("Next's steps in one process (medians, ms): "
                 + ", ".join(f"{name} {s[('step', name)]:.1f}" for name in steps))
    steps_sum = sum(s[("step", name)] for name in own_steps)
    lines.append(ratio_line("Next's own work in one process (the steps before stage 90)",
                            steps_sum, s["gets"], floor_name="for the four bare GETs"))
    for count in PICKER_SIZES:
        lines.append(f"picker shown, {count:,} matches: {s[('picker', count)]:.0f} ms "
                     "(click Next to picker answering)")
    per_entry = {n: s[("parse", n)] * 1000 / n for n in PARSE_SIZES}
    parse = ", ".join(f"{n:,}: {s[('parse', n)]:.0f} ms ({per_entry[n]:.1f} µs/match)"
                      for n in PARSE_SIZES)
    lines.append(f"answer parse alone: {parse}")
    lines.append(f"answer parse per match: {per_entry[PARSE_SIZES[-1]]:.1f} µs at "
                 f"{PARSE_SIZES[-1]:,} vs {per_entry[PARSE_SIZES[0]]:.1f} µs at "
                 f"{PARSE_SIZES[0]:,}, {per_entry[PARSE_SIZES[-1]] / per_entry[PARSE_SIZES[0]]:.2f}×")
    lines.append(ratio_line("stripped size", sizes["page"], sizes["floor"], unit="bytes"))
    lines.append(ratio_line("peak working set after first paint", s[("peak", "page")],
                            s[("peak", "floor")], unit="KB"))
    lines.append("")
    lines.append(f"medians of {rounds} rounds; first paint and peak of every launch; "
                 "paired: the median of the ratios of launches made next to each other; min-max:")
    for key in sorted(bench.samples, key=str):
        low, high = spread[key]
        name = key if isinstance(key, str) else " ".join(map(str, key))
        lines.append(f"  {name}: {low:.1f} - {high:.1f}")
    return lines


def machine_line():
    cpu = platform.processor() or "?"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    load = " ".join(f"{x:.2f}" for x in os.getloadavg())
    wine_version = subprocess.run(wine("--version"), capture_output=True,
                                  text=True).stdout.strip()
    return f"machine: {os.cpu_count()} × {cpu}; {wine_version}; load average {load}"


def arch_line(arch):
    kind = "the shipped build" if arch == "i686" else "the 64-bit twin"
    return (f"architecture: {arch} ({kind}): the page and every floor were built for it, "
            "so each ratio compares like with like")


def budget_line(size):
    verdict = "within" if size <= SIZE_BUDGET else "OVER"
    return (f"size budget: i686 NimbelleSetup.exe (stripped) {size:,} bytes, {verdict} "
            f"{SIZE_BUDGET:,} (300 KB)")


def start_display(env):
    for number in range(90, 140):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1024x768x24",
                                     "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
            deadline = time.time() + 10
            while time.time() < deadline:
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    env["DISPLAY"] = f":{number}"
                    return xvfb
                time.sleep(0.05)
            xvfb.kill()
    raise SystemExit("bench: no free X display for Xvfb")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True, help="the loopback build of the page")
    parser.add_argument("--shipped", required=True, help="NimbelleSetup.exe, for its size")
    parser.add_argument("--arch", required=True, choices=("i686", "x86_64"),
                        help="the architecture every measured program was built for")
    parser.add_argument("--shipped-i686", required=True,
                        help="the i686 NimbelleSetup.exe, held to the size budget")
    parser.add_argument("--floor", required=True, help="BenchFloor.exe")
    parser.add_argument("--floor-stage", required=True, help="BenchFloorStage.exe")
    parser.add_argument("--gets", required=True, help="BenchGets.exe")
    parser.add_argument("--parse", required=True, help="BenchParse.exe")
    parser.add_argument("--steps", required=True, help="BenchNextSteps.exe")
    parser.add_argument("--driver", required=True, help="PageDriver.exe")
    parser.add_argument("--port", type=int, required=True, help="the loopback stub's port")
    parser.add_argument("--work", required=True, help="a folder for the runs")
    parser.add_argument("--rounds", type=int, default=7, help="counted rounds")
    parser.add_argument("--launches", type=int, default=3,
                        help="first-paint launches of each program in a round")
    args = parser.parse_args()

    env = dict(os.environ)
    if not env.get("WINEPREFIX"):
        raise SystemExit("bench: WINEPREFIX must name a prepared Wine prefix")
    xvfb = start_display(env)
    bench = None
    try:
        print(machine_line(), flush=True)
        print(arch_line(args.arch), flush=True)
        bench = Bench(args, env)
        for number in range(args.rounds + 1):
            bench.round(number, counted=number > 0)
            print(f"round {number}{' (warm-up)' if number == 0 else ''} done", flush=True)
        sizes = {"page": os.path.getsize(args.shipped), "floor": os.path.getsize(args.floor)}
        print()
        print("\n".join(report(bench, sizes, args.rounds)))
        print(budget_line(os.path.getsize(args.shipped_i686)))
        print(machine_line())
        print(arch_line(args.arch))
    finally:
        if bench is not None:
            bench.close()
        subprocess.run(wineserver("-k"), env=env, stderr=subprocess.DEVNULL)
        xvfb.terminate()
        xvfb.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
