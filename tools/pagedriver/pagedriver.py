"""Client of PageDriver.exe, the program that scripts the setup page from another process.

One command line in, one answer line out; texts travel escaped (backslash, tab, CR, LF) as UTF-8.
"""

import os
import queue
import subprocess
import sys
import threading

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "wine"))
from winecmd import wine  # noqa: E402

PAGE = "Nimbelle Setup"


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
        self.process = subprocess.Popen(wine(exe), env=env, stdin=subprocess.PIPE,
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
                self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()

    # -- commands ----------------------------------------------------------------------
    def attach(self, timeout_ms=20000):
        return self.ask(f"attach {timeout_ms} {escape(PAGE)}", timeout=timeout_ms / 1000 + 10)

    def attach_pid(self, pid, timeout_ms=20000):
        """Attaches to the page of the process with this (Windows) id."""
        return self.ok(f"attach-pid {timeout_ms} {pid} {escape(PAGE)}",
                       timeout=timeout_ms / 1000 + 10)

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

    def post_click(self, control, count=1):
        """Posts count clicks at once, without waiting for the page."""
        self.ok(f"post-click {control} {count}")

    def hungprobe(self, duration_ms, period_ms=250):
        """(probes, flagged hung, WM_NULL unanswered, worst WM_NULL ms) over duration_ms."""
        answer = self.ok(f"hungprobe {duration_ms} {period_ms}", timeout=duration_ms / 1000 + 15)
        return tuple(int(v) for v in answer.split())

    def sync(self, timeout_ms=15000):
        self.ok(f"sync {timeout_ms}", timeout=timeout_ms / 1000 + 10)

    def select(self, control, index):
        return int(self.ok(f"select {control} {index}"))

    def select_string(self, control, text):
        return int(self.ok(f"select-string {control} {escape(text)}"))

    def drop(self, control, shown=True):
        self.ok(f"drop {control} {1 if shown else 0}")

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

    # -- another desktop, programs started by the driver --------------------------------
    def desktop(self, name, timeout_ms=20000):
        self.ok(f"desktop {timeout_ms} {escape(name)}", timeout=timeout_ms / 1000 + 10)

    def run(self, command_line):
        """Starts a program on the driver's desktop; answers its process id."""
        return int(self.ok(f"run {escape(command_line)}"))

    def exit_code(self, timeout_ms=30000):
        """The exit code of the program started last, or None while it still runs."""
        answer = self.ask(f"exit {timeout_ms}", timeout=timeout_ms / 1000 + 10)
        if answer == "timeout":
            return None
        if not answer.startswith("ok "):
            raise DriverError(f"exit answered {answer!r}")
        return int(answer[3:])

    def hold(self, windows_path):
        """Holds a file open shared with no one, as a page holds its lock, until release."""
        self.ok(f"hold {escape(windows_path)}")

    def release(self):
        self.ok("release")

    def attach_to(self, caption, timeout_ms=20000):
        return self.ask(f"attach {timeout_ms} {escape(caption)}", timeout=timeout_ms / 1000 + 10)

    def shown(self, caption):
        return self.ok(f"shown {escape(caption)}") == "1"

    def texts(self):
        return [unescape(f) for f in self.ok("texts").split("\t")[1:]]
