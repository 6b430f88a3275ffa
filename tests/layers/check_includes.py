#!/usr/bin/env python3
"""Checks every #include "..." of the project against the layer table of
docs/architecture.md: a folder includes only what its row lists (itself
always, and tests/ its own subfolders), every row lists only rows below it,
no headers include each other in a circle, and a file whose name lacks "_win32" includes neither a "_win32"
header nor <windows.h>, in the product folders and tools/ alike.

    check_includes.py SOURCE_DIR
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def layer_table(architecture):
    """{folder: [allowed prefixes]} from the rows of the "## Layers" table."""
    text = architecture.read_text(encoding="utf-8")
    section = text.split("## Layers", 1)[1].split("\n## ", 1)[0]
    table = {}
    for row in re.findall(r"^\|(.+)\|\s*$", section, re.M):
        cells = [cell.strip() for cell in row.split("|")]
        folder = re.match(r"`([a-z_]+/)`", cells[0])
        if folder:
            table[folder.group(1)] = re.findall(r"`([^`]+)`", cells[1])
    return table


def upward_rows(table):
    """Rows that list a folder above them or themselves: the layers point only downward."""
    order = [folder for folder in table if folder not in ("tools/", "tests/")]
    for position, folder in enumerate(order):
        allowed = table[folder]
        for prefix in allowed:
            if prefix in order and order.index(prefix) <= position:
                yield f"the layer table: {folder} lists {prefix}, which is not below it"


def circles(root, folders):
    """Each circle of files that include each other, once."""
    edges = {}
    for folder in folders:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            unit = path.relative_to(root).as_posix()
            for bracket, target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                if bracket == '"' and "/" in target and (root / target).is_file():
                    edges.setdefault(unit, set()).add(target)
    state, stack, found = {}, [], []

    def visit(unit):
        state[unit] = "open"
        stack.append(unit)
        for after in sorted(edges.get(unit, ())):
            if state.get(after) == "open":
                found.append(stack[stack.index(after):] + [after])
            elif after not in state:
                visit(after)
        stack.pop()
        state[unit] = "done"

    for unit in sorted(edges):
        if unit not in state:
            visit(unit)
    for circle in found:
        yield "files that include each other in a circle: " + " -> ".join(circle)


def violations(root, table):
    for folder, allowed in table.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            name = path.relative_to(root).as_posix()
            portable = "_win32" not in path.stem and folder != "tests/"
            for bracket, target in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                if bracket == "<":
                    if portable and target.lower() == "windows.h":
                        yield f"{name}: <windows.h> in a file without _win32 in its name"
                    continue
                if "/" not in target:
                    if not (path.parent / target).is_file():
                        yield f'{name}: "{target}" is no file beside it'
                    continue
                if portable and "_win32" in Path(target).stem:
                    yield f'{name}: "{target}" is a platform header, included by a file without _win32 in its name'
                own = (root / folder / target).is_file()  # tests/ includes its own folders from its root
                if not own and not any(target == prefix or (prefix.endswith("/") and target.startswith(prefix))
                           for prefix in [folder] + allowed):
                    yield f'{name}: "{target}" is not in what {folder} may include ({", ".join(allowed) or "nothing"})'


def main():
    root = Path(sys.argv[1])
    table = layer_table(root / "docs" / "architecture.md")
    product = [folder for folder in table if folder not in ("tools/", "tests/")]
    on_disk = {path.name + "/" for path in root.iterdir() if (path / "CMakeLists.txt").is_file()}
    expected = (on_disk - {"release/"}) | {"tests/"}
    if set(table) != expected:
        sys.exit(f"check_includes: the layer table has rows for {sorted(table)}, the tree's folders are {sorted(expected)}")
    found = list(violations(root, table)) + list(upward_rows(table)) + list(circles(root, product + ["tools/"]))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) outside the layer table")
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
