#!/usr/bin/env python3
"""Checks the #include lines of src against the layers of docs/architecture.md.

A file may include files of its own folder and of the folders its folder may use. No unit (a
header with its source file, X.h and X.cpp) may reach itself through the includes of its files. Prints what it found and exits 1 on any breach.
Usage: check_includes.py [SRC_FOLDER]
"""
import re
import sys
from pathlib import Path

# Which folders each folder may include, besides itself.
MAY_USE = {
    "platform": set(),
    "location": {"platform"},
    "web": {"platform"},
    "settings": {"platform", "location"},
    "beacon": {"platform", "location", "web", "settings"},
    "app": {"platform", "location", "web", "settings", "beacon"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
# The file system, path conversions and the debugger output belong to platform: a file above it
# that calls one of these goes around the layer.
PLATFORM_ONLY = re.compile(
    r"\b(CreateFile\w*|DeleteFile\w*|MoveFileEx\w*|ReplaceFile\w*|CopyFile\w*|FindFirstFile\w*|"
    r"CreateDirectory\w*|GetFileAttributes\w*|SetFileAttributes\w*|ReadFile|WriteFile|"
    r"FlushFileBuffers|GetFileInformationByHandle\w*|widePath|MultiByteToWideChar|"
    r"OutputDebugString\w*)\s*\(")
COMMENT = re.compile(r"//.*$", re.MULTILINE)
SOURCE_SUFFIXES = {".h", ".cpp", ".c"}


def include_graph(src):
    """Each source file (relative to src) with the project files it includes."""
    graph = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
            continue
        targets = []
        for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            for candidate in (src / name, path.parent / name):
                if candidate.is_file():
                    targets.append(candidate.resolve().relative_to(src.resolve()))
                    break
            # Anything else (resource.h, generated headers) lies outside src's layers.
        graph[path.relative_to(src)] = targets
    return graph


def folder_of(path):
    return path.parts[0] if len(path.parts) > 1 else ""


def layer_breaches(graph):
    breaches = []
    for source, targets in graph.items():
        for target in targets:
            mine, theirs = folder_of(source), folder_of(target)
            if mine not in MAY_USE:
                breaches.append(f"{source.as_posix()}: folder '{mine}' has no layer")
            elif mine != theirs and theirs not in MAY_USE[mine]:
                breaches.append(f"{source.as_posix()} includes {target.as_posix()}: "
                                f"{mine} may not use {theirs}")
    return breaches


def unit_graph(graph):
    """The includes between units: X.cpp and X.h are one unit, named X."""
    units = {}
    for source, targets in graph.items():
        unit = source.with_suffix("")
        units.setdefault(unit, set()).update(
            t.with_suffix("") for t in targets if t.with_suffix("") != unit)
    return {unit: sorted(targets) for unit, targets in units.items()}


def circles(graph):
    """Each include circle once, as the units along it."""
    found = []
    state = {}  # 1: on the current path, 2: done

    def visit(node, path):
        state[node] = 1
        path.append(node)
        for target in graph.get(node, []):
            if state.get(target) == 1:
                found.append(path[path.index(target):] + [target])
            elif target not in state:
                visit(target, path)
        path.pop()
        state[node] = 2

    for node in graph:
        if node not in state:
            visit(node, [])
    return [" -> ".join(p.as_posix() for p in circle) for circle in found]


def platform_calls(src):
    """Calls that only platform may make, made by a file of another folder."""
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix in SOURCE_SUFFIXES and folder_of(path.relative_to(src)) != "platform":
            code = COMMENT.sub("", path.read_text(encoding="utf-8", errors="replace"))
            found += [f"{path.relative_to(src).as_posix()} calls {name}, which only platform may"
                      for name in sorted(set(PLATFORM_ONLY.findall(code)))]
    return found


def problems(src):
    graph = include_graph(src)
    return graph, (layer_breaches(graph) + platform_calls(src) +
                   [f"circle: {c}" for c in circles(unit_graph(graph))])


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[2] / "src")
    graph, found = problems(src)
    for problem in found:
        print(problem)
    includes = sum(len(targets) for targets in graph.values())
    print(f"{len(graph)} files, {includes} project includes: "
          f"{len(found) or 'no'} problem{'' if len(found) == 1 else 's'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
