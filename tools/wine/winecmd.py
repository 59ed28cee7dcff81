"""Command lines for Wine through the project's launcher (tools/wine/winerun), which picks the
loader that fits each program's architecture."""

import os
import subprocess

LAUNCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "winerun")


def wine(*args):
    """A Windows program (or one of Wine's own, for NIMBELLE_WINE_ARCH) and its arguments."""
    return [LAUNCHER, *map(str, args)]


def wineserver(*args):
    return [LAUNCHER, "--server", *map(str, args)]


def runs(arch):
    """Whether this machine executes programs of arch (i686 or x86_64)."""
    return subprocess.run([LAUNCHER, "--runs", arch]).returncode == 0


def unix_path(prefix, windows_path):
    """Where a drive-letter path of the prefix's Windows lies on this machine."""
    drive = os.path.realpath(os.path.join(prefix, "dosdevices", windows_path[:2].lower()))
    return os.path.join(drive, *[part for part in windows_path[2:].split("\\") if part])


def user_folders(env):
    """The user's temporary, local application-data and profile folders ("temp", "local",
    "profile") as the Windows of env's prefix names them, as paths of this machine. Asked of
    the prefix itself: each Wine version lays out the user's profile in its own way."""
    asked = ("TMP", "TEMP", "LOCALAPPDATA", "USERPROFILE")
    shown = subprocess.run(wine("cmd", "/c", "echo " + "^|".join(f"%{n}%" for n in asked)),
                           env=env, capture_output=True, text=True, timeout=120,
                           check=True).stdout.strip()
    named = {n: v for n, v in zip(asked, shown.split("|")) if v and not v.startswith("%")}
    tmp = named.get("TMP") or named.get("TEMP")  # the order GetTempPath takes them in
    if not tmp or "LOCALAPPDATA" not in named or "USERPROFILE" not in named:
        raise RuntimeError(f"the prefix did not name the user's folders: {shown!r}")
    prefix = env["WINEPREFIX"]
    return {"temp": unix_path(prefix, tmp), "local": unix_path(prefix, named["LOCALAPPDATA"]),
            "profile": unix_path(prefix, named["USERPROFILE"])}
