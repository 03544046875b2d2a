#!/usr/bin/env python3
"""The folders' layer rule of README.md, checked against the sources.

README.md shows the rule as indented lines of folders joined by arrows, each
pointing at a user ("platform ← engine ← run"); a folder may include headers
of every folder left of it on any line, and of those folders' own left, and
of itself. Files of the program (a header and its source count as one) must
include each other in no circle.

Usage: layer_rule.py SOURCE_DIR
"""
import re
import sys
from pathlib import Path

OUTSIDE_THE_LAYERS = {"bench", "tests"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def rule_lines(readme):
    """The indented arrow lines after the paragraph that opens the rule."""
    text = readme.read_text(encoding="utf-8")
    start = text.index("Dependencies run one way")
    lines = []
    for line in text[start:].splitlines()[1:]:
        if line.startswith("    ") and "←" in line:
            lines.append(line.strip())
        elif lines and not line.strip().startswith(("←",)) and line.strip():
            break
    return lines


def allowed_uses(lines):
    below = {}
    for line in lines:
        groups = [[f.strip() for f in g.split(",")] for g in line.split("←")]
        for i, group in enumerate(groups):
            for folder in group:
                below.setdefault(folder, set()).update(f for g in groups[:i] for f in g)
    # A folder may use what the folders it uses may use.
    changed = True
    while changed:
        changed = False
        for folder, uses in below.items():
            wider = set().union(*(below.get(u, set()) for u in uses)) | uses
            if wider != uses:
                below[folder] = wider
                changed = True
    return below


def sources(root, folders):
    for folder in sorted(folders):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix in (".h", ".cpp"):
                yield path


def main():
    root = Path(sys.argv[1])
    lines = rule_lines(root / "README.md")
    if not lines:
        print("FAIL: README.md shows no layer rule")
        return 1
    uses = allowed_uses(lines)
    failures = []
    missing = [f for f in uses if not (root / f).is_dir()]
    failures += [f"the rule names {f}/, which does not exist" for f in missing]
    program_folders = {p.name for p in root.iterdir()
                       if (p / "CMakeLists.txt").exists() and any(p.rglob("*.cpp"))}
    for folder in sorted(program_folders - set(uses) - OUTSIDE_THE_LAYERS):
        failures.append(f"{folder}/ holds code but stands in no layer")

    graph = {}
    for path in sources(root, set(uses) - set(missing)):
        folder = path.relative_to(root).parts[0]
        unit = str(path.relative_to(root).with_suffix(""))
        for included in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
            target = included.split("/")[0]
            if "/" not in included or not (root / included).exists():
                continue
            if target != folder and target not in uses[folder]:
                failures.append(f"{path.relative_to(root)} includes {included}: {target}/ is not below {folder}/")
            other = str(Path(included).with_suffix(""))
            if other != unit:
                graph.setdefault(unit, set()).add(other)

    # Circles of includes, one report each.
    state = {}
    stack = []

    def visit(unit):
        state[unit] = "open"
        stack.append(unit)
        for other in sorted(graph.get(unit, ())):
            if state.get(other) == "open":
                circle = stack[stack.index(other):] + [other]
                failures.append("a circle of includes: " + " → ".join(circle))
            elif other not in state:
                visit(other)
        stack.pop()
        state[unit] = "done"

    for unit in sorted(graph):
        if unit not in state:
            visit(unit)

    for failure in failures:
        print("FAIL:", failure)
    print(f"layer rule: {' / '.join(lines)}; {len(graph)} files with includes checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
