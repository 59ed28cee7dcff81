#!/usr/bin/env python3
"""Measures the setup page against its floors, in one run of interleaved rounds.

Floors: BenchFloor.exe (the page's template and nothing else, built like the page) for the
window and the size, BenchFloorStage.exe (the same plus the stage 17 report the page must
make before it shows) to split the first paint, BenchContractFloor.exe (the work Next must
do, with the bare platform calls) for Next and the commit, BenchGets.exe (the bare requests
Next must make) for the network, and the answer reader alone (BenchParse.exe) for the walk;
BenchNextSteps.exe times Next's steps one by one along the page's path inside one process,
and BenchRequestParts.exe takes one request apart. Everything runs under Wine in a
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
from contract import SETTINGS_FILE, STAGE_ACCEPTED, STAGE_OPENED, stage_path  # noqa: E402
from pagedriver import Driver  # noqa: E402
from winecmd import user_folders, wine, wineserver  # noqa: E402
from vendor_stub import VendorStub, xml  # noqa: E402

PICKER = "Select City"
NEXT, BACK, PLACE, YEAR = 1, 2, 1000, 1005
PICKER_CANCEL = 2
PLACE_TYPED = "Springfield"
DETAIL = ('<weather ver="1.0"><eloc><ctry>US</ctry><dma>648</dma><st>IL</st><zip>62701</zip>'
          "</eloc></weather>")
PICKER_SIZES = (2000, 20000)
PARSE_SIZES = (5000, 20000, 80000)
# apps.ini sizes of the commit curve; Next runs on the first.
INI_SIZES = (1024, 100 * 1024, 1024 * 1024)
INSTALL_ID = "BENCH0001"
# Next's steps in the page's order; all but the last are Next's own work (Next - Back).
STEPS = ("reach", "search", "read-search", "detail", "read-detail", "commit", "stage-90")
OWN_STEPS = STEPS[:-1]
REQUEST_ROUNDS = 15

# The shipped page travels inside the installer: stripped, it stays within this multiple of
# the empty dialog built by the same toolchain (the build holds it too).
SIZE_BUDGET = 1.15


def search_answer(count):
    locs = "".join(f'<loc id="USXX{i:05d}" type="1">Springfield {i}, XX</loc>'
                   for i in range(count))
    return f'<search ver="1.0">{locs}</search>'


def apps_ini(size):
    """An apps.ini of `size` bytes: the installation identifier and other programs' keys."""
    lines = [f"[Software\\Talvora]\r\nInstallID={INSTALL_ID}\r\n"]
    total, n = len(lines[0]), 0
    while total < size:
        line = (f"[Other\\Program{n // 500:03d}]\r\n" if n % 500 == 0
                else f"key{n:06d}=value {n}\r\n")
        lines.append(line)
        total += len(line)
        n += 1
    return "".join(lines).encode("ascii")


def prefix_apps_ini(env):
    """apps.ini of the prefix's user, where the page commits."""
    return os.path.join(user_folders(env)["local"], "Talvora", "Corvane", SETTINGS_FILE)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


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
        self.templates = {}
        for size in INI_SIZES:
            path = os.path.join(self.work, f"apps-{size}.ini")
            with open(path, "wb") as f:
                f.write(apps_ini(size))
            self.templates[size] = path
        self.page_ini = prefix_apps_ini(env)
        self.base = f"http://127.0.0.1:{args.port}"

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

    def place_page_ini(self):
        """The page commits into the same apps.ini as the contract floor's."""
        os.makedirs(os.path.dirname(self.page_ini), exist_ok=True)
        shutil.copy(self.templates[INI_SIZES[0]], self.page_ini)

    def run_window(self, name, leave, counted):
        self.stub.route("/search/search/", xml(search_answer(1)))
        self.stub.route("/weather/local/", xml(DETAIL))
        self.place_page_ini()
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

    def run(self, program, *args, timeout=120):
        return subprocess.run(wine(program, *args), env=self.env, check=True,
                              capture_output=True, text=True, timeout=timeout).stdout.split("\n")

    def run_steps(self, counted):
        """Next's steps along the page's path, in one process."""
        self.stub.route("/search/search/", xml(search_answer(1)))
        self.stub.route("/weather/local/", xml(DETAIL))
        folders = [os.path.join(self.work, "steps", name) for name in ("temp", "spare")]
        for folder in folders:
            os.makedirs(folder, exist_ok=True)
        out = self.run(self.args.steps, "next", f"{self.base}/search/search/?where={PLACE_TYPED}",
                       f"{self.base}/weather/local/USXX00000?eloc=*",
                       *(windows_path(folder) + "\\" for folder in folders),
                       windows_path(self.templates[INI_SIZES[0]]))
        for line in filter(None, out):
            _, name, micros = line.split()
            if counted:
                self.add(("step", name), int(micros) / 1000)

    def run_contract_floor(self, counted):
        """The same work with the bare platform calls, in one process."""
        folder = os.path.join(self.work, "contract")
        os.makedirs(folder, exist_ok=True)
        base = self.base
        out = self.run(self.args.contract_floor, "next", windows_path(folder) + "\\",
                       windows_path(os.path.join(folder, SETTINGS_FILE)),
                       windows_path(self.templates[INI_SIZES[0]]),
                       base + stage_path(STAGE_OPENED, INSTALL_ID),
                       f"{base}/search/search/?where={PLACE_TYPED}",
                       f"{base}/search/search/?where={PLACE_TYPED}&rnd=4242",
                       f"{base}/weather/local/USXX00000?eloc=%2A&rnd=4243",
                       base + stage_path(STAGE_ACCEPTED, INSTALL_ID))
        for line in filter(None, out):
            _, name, micros = line.split()
            if counted:
                self.add(("floor", name), int(micros) / 1000)

    def run_next_pair(self, number, counted):
        """Steps and floor next to each other, the order alternating between rounds."""
        runs = (self.run_steps, self.run_contract_floor)
        for run in runs if number % 2 else reversed(runs):
            run(counted)
        if counted:
            for name in STEPS:
                self.add(("step ratio", name),
                         self.samples[("step", name)][-1] / self.samples[("floor", name)][-1])
            own = sum(self.samples[("step", name)][-1] for name in OWN_STEPS)
            floor = sum(self.samples[("floor", name)][-1] for name in OWN_STEPS)
            self.add("own steps ratio", own / floor)

    def run_commits(self, number, counted):
        """The commit and the floor's file work on each apps.ini size."""
        templates = [windows_path(self.templates[size]) for size in INI_SIZES]
        folder = os.path.join(self.work, "contract")
        page = lambda: self.run(self.args.steps, "commit", *templates)  # noqa: E731
        floor = lambda: self.run(self.args.contract_floor, "commit",  # noqa: E731
                                 windows_path(os.path.join(folder, SETTINGS_FILE)), *templates)
        outs = [page(), floor()] if number % 2 else list(reversed([floor(), page()]))
        self.place_page_ini()
        if counted:
            for out in outs:
                # One line per template, in the order given: "<kind> <bytes> <microseconds>".
                for size, line in zip(INI_SIZES, filter(None, out)):
                    kind, _, micros = line.split()
                    self.add((kind, size), int(micros) / 1000)

    def run_request_parts(self, counted):
        folder = os.path.join(self.work, "parts")
        os.makedirs(folder, exist_ok=True)
        out = self.run(self.args.parts, self.base + stage_path(STAGE_ACCEPTED, INSTALL_ID),
                       str(REQUEST_ROUNDS), windows_path(folder) + "\\",
                       windows_path(self.templates[INI_SIZES[0]]))
        for line in filter(None, out):
            _, name, micros = line.split()
            if counted:
                self.add(("part", name), int(micros) / 1000)

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
                self.add(("paint ratio", "page/stage"), paints["page"] / paints["stage"])
        backs, nexts = {}, {}
        for name in order:
            if name != "stage":
                nexts[name] = self.run_window(name, NEXT, counted)
                backs[name] = self.run_window(name, BACK, counted)
        self.run_gets(counted)
        self.run_next_pair(number, counted)
        if counted:
            own = nexts["page"] - backs["page"]
            self.add("own", own)
            floor = sum(self.samples[("floor", name)][-1] for name in OWN_STEPS)
            self.add("own clicks ratio", own / floor)
        self.run_commits(number, counted)
        self.run_request_parts(counted)
        for count in PICKER_SIZES:
            self.run_picker(count, counted)
        self.run_parse(counted)


def median(values):
    return statistics.median(values)


def ratio_line(label, page, floor, unit="ms", floor_name="floor"):
    digits = 1 if unit == "ms" and floor < 100 else 0
    named = f" {floor_name}" if floor_name else ""
    return (f"{label}: {page:.{digits}f} {unit} vs {floor:.{digits}f} {unit}{named}, "
            f"{page / floor:.2f}×")


def size_name(size):
    return f"{size // (1024 * 1024)} MB" if size >= 1024 * 1024 else f"{size // 1024} KB"


def report(bench, sizes, rounds):
    s = {k: median(v) for k, v in bench.samples.items()}
    spread = {k: (min(v), max(v)) for k, v in bench.samples.items()}
    floor_own = sum(s[("floor", name)] for name in OWN_STEPS)
    lines = [
        ratio_line("first paint", s[("paint", "page")], s[("paint", "floor")])
        + f" (paired: {s[('paint ratio', 'page')]:.2f}×)",
        ratio_line("  floor + COM + stage 17 report, the work required before showing",
                   s[("paint", "stage")], s[("paint", "floor")])
        + f" (paired: {s[('paint ratio', 'stage')]:.2f}×)",
        ratio_line("first paint vs floor + COM + stage 17", s[("paint", "page")],
                   s[("paint", "stage")], floor_name="")
        + f" (paired: {s[('paint ratio', 'page/stage')]:.2f}×)",
        ratio_line("Back, click to exit", s[("back", "page")], s[("back", "floor")]),
        ratio_line("Next, click to exit", s[("next", "page")], s[("next", "floor")]),
        ratio_line("Next's own work (Next - Back) as whole clicks", s["own"], floor_own,
                   floor_name="contract floor")
        + f" (paired: {s['own clicks ratio']:.2f}×)",
        ratio_line("  the same against the four bare GETs", s["own"], s["gets"],
                   floor_name="for the GETs"),
    ]
    steps_sum = sum(s[("step", name)] for name in OWN_STEPS)
    lines.append(ratio_line("Next's own work in one process (the steps before stage 90)",
                            steps_sum, floor_own, floor_name="contract floor")
                 + f" (paired: {s['own steps ratio']:.2f}×)")
    lines.append("Next's steps vs their part of the contract floor (medians, ms; paired): "
                 + ", ".join(f"{name} {s[('step', name)]:.1f} vs {s[('floor', name)]:.1f} "
                             f"({s[('step ratio', name)]:.2f}×)" for name in STEPS))
    lines.append(ratio_line("stage 90 (identifier, probe, GET)", s[("step", "stage-90")],
                            s[("floor", "stage-90")], floor_name="floor: identifier read, "
                            "name lookup, bare GET")
                 + f" (paired: {s[('step ratio', 'stage-90')]:.2f}×)")
    lines.append("commit vs the floor's file work (folder, copy, 12 writes, flush, rename): "
                 + ", ".join(f"{size_name(n)} {s[('commit', n)]:.1f} vs "
                             f"{s[('floor-commit', n)]:.1f} ms "
                             f"({s[('commit', n)] / s[('floor-commit', n)]:.2f}×)"
                             for n in INI_SIZES))
    parts = [k[1] for k in bench.samples if k[0] == "part"]
    lines.append(f"one request and the file calls around Next taken apart (medians of "
                 f"{REQUEST_ROUNDS} each per round, ms): "
                 + ", ".join(f"{name} {s[('part', name)]:.2f}" for name in parts))
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


def budget_line(size, floor):
    verdict = "within" if size <= floor * SIZE_BUDGET else "OVER"
    return (f"size budget: i686 NimbelleSetup.exe (stripped) {size:,} bytes, "
            f"{size / floor:.2f}× the i686 floor's {floor:,}, {verdict} {SIZE_BUDGET:.2f}×")


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
    parser.add_argument("--floor-i686", required=True, help="the i686 BenchFloor.exe")
    parser.add_argument("--floor", required=True, help="BenchFloor.exe")
    parser.add_argument("--floor-stage", required=True, help="BenchFloorStage.exe")
    parser.add_argument("--gets", required=True, help="BenchGets.exe")
    parser.add_argument("--parse", required=True, help="BenchParse.exe")
    parser.add_argument("--steps", required=True, help="BenchNextSteps.exe")
    parser.add_argument("--contract-floor", required=True, help="BenchContractFloor.exe")
    parser.add_argument("--parts", required=True, help="BenchRequestParts.exe")
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
        print(budget_line(os.path.getsize(args.shipped_i686), os.path.getsize(args.floor_i686)))
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
