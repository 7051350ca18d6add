#!/usr/bin/env python3
"""Holds the layering of the source folders: names each include that breaks a rule.

  the core (every file the tallowmark_core and tallowmark_cli_commands lists of
  CMakeLists.txt build, and the headers beside them) includes no Qt header and no
  window code;
  the OS layer (platform/) includes nothing above it;
  the desktop's launchers in platform/ are built into the desktop program alone, so no
  core file includes them;
  the Qt helpers (widgets/) include nothing of the folders above them;
  no two folders include each other.

Usage: check-includes.py SOURCE_DIR. Exits 1 after listing the broken rules.
"""

import pathlib
import re
import sys

FOLDERS = ["model", "platform", "presentation", "discovery", "actions", "shell", "forensic", "cli", "widgets"]
CORE_TARGETS = ["tallowmark_core", "tallowmark_cli_commands"]
# Launching the desktop's applications goes through GIO: these sit in platform/ but are
# linked into the desktop program only (tallowmark_desktop), never into the core.
DESKTOP_ONLY = {"platform/DesktopLaunch.h", "platform/TextEditor.h"}
# What the Qt helpers may include besides themselves and Qt.
WIDGETS_MAY_USE = {"widgets", "model", "platform"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z0-9]*(/|$)")


def target_sources(cmake_text, target):
    """The files CMake lists for `target` (with ${PLATFORM_DIR} as either system)."""
    files = []
    pattern = r"(?:add_library|target_sources)\(\s*%s\b([^)]*)\)" % re.escape(target)
    for block in re.findall(pattern, cmake_text):
        for word in block.split():
            if "/" not in word:
                continue
            if "${PLATFORM_DIR}" in word:
                files += [word.replace("${PLATFORM_DIR}", p) for p in ("platform/posix", "platform/win32")]
            else:
                files.append(word)
    return files


def core_files(root):
    cmake = (root / "CMakeLists.txt").read_text()
    core = set()
    for target in CORE_TARGETS:
        for source in target_sources(cmake, target):
            core.add(source)
            core.add(str(pathlib.PurePosixPath(source).with_suffix(".h")))
    gui = set()
    gui_cmake = root / "gui.cmake"
    if gui_cmake.exists():
        text = gui_cmake.read_text()
        for target in ("tallowmark_gui", "tallowmark"):
            for source in target_sources(text, target):
                gui.add(source)
                gui.add(str(pathlib.PurePosixPath(source).with_suffix(".h")))
    desktop = set(DESKTOP_ONLY) | set(target_sources(cmake, "tallowmark_desktop"))
    return core, gui, desktop


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    core, gui, desktop = core_files(root)
    files = sorted(str(p.relative_to(root)) for folder in FOLDERS if (root / folder).is_dir()
                   for p in (root / folder).rglob("*") if p.suffix in (".h", ".cpp"))
    # A header with no source of its own belongs to the core unless the desktop builds it.
    windowless = {f for f in files if f in core or (f.endswith(".h") and f not in gui
                                                    and not f.startswith("widgets/"))}
    window_code = {f for f in files if f not in windowless}

    broken = []
    edges = {}  # (from folder, to folder) -> the first include that makes the edge
    for name in files:
        folder = name.split("/")[0]
        for number, line in enumerate((root / name).read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quoted, header = match.group(1) == '"', match.group(2)
            where = "%s:%d: #include %s" % (name, number, line.split("include", 1)[1].strip())
            own = quoted and header.split("/")[0] in FOLDERS
            if name in windowless and QT_HEADER.match(header):
                broken.append("%s: a windowless file includes Qt" % where)
            if not own:
                continue
            target = header.split("/")[0]
            if folder == "platform" and target != "platform":
                broken.append("%s: the OS layer includes nothing above it" % where)
            if name in windowless and header in window_code:
                broken.append("%s: a windowless file includes window code" % where)
            if name in windowless and name not in desktop and header in DESKTOP_ONLY:
                broken.append("%s: the desktop's launchers are not part of the core" % where)
            if folder == "widgets" and target not in WIDGETS_MAY_USE:
                broken.append("%s: the Qt helpers include nothing of the folders above them" % where)
            if target != folder:
                edges.setdefault((folder, target), where)
    for (first, second), where in sorted(edges.items()):
        if first < second and (second, first) in edges:
            broken.append("%s: %s/ and %s/ include each other (and %s)"
                          % (where, first, second, edges[(second, first)]))
    for line in broken:
        print(line)
    print("%d files checked, %d includes break the layering" % (len(files), len(broken)))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
