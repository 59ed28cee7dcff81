"""Command lines for Wine through the project's launcher (tools/wine/winerun), which picks the
loader that fits each program's architecture."""

import os

LAUNCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "winerun")


def wine(*args):
    """A Windows program (or one of Wine's own, for NIMBELLE_WINE_ARCH) and its arguments."""
    return [LAUNCHER, *map(str, args)]


def wineserver(*args):
    return [LAUNCHER, "--server", *map(str, args)]


def runs(arch):
    """Whether this machine executes programs of arch (i686 or x86_64)."""
    import subprocess
    return subprocess.run([LAUNCHER, "--runs", arch]).returncode == 0
