#!/usr/bin/env python3
"""Makes the Debian package's changelog.gz from the repository's CHANGELOG.md.

CHANGELOG.md holds one "## VERSION — YYYY-MM-DD" heading per release, newest
first, each followed by "- " items whose continuation lines are indented.
Debian wants, for a native package, usr/share/doc/PACKAGE/changelog.gz in its
own changelog format, compressed at the highest level without a time stamp so
that the same input always gives the same bytes.
Usage: debian_changelog.py CHANGELOG.md OUTPUT.gz PACKAGE "NAME <EMAIL>" [VERSION]
With VERSION given, the newest release must be that version.
"""
import datetime
import gzip
import re
import sys
import textwrap

HEADING = re.compile(r"^## +(\S+) +(?:—|-|–) +(\d{4}-\d{2}-\d{2}) *$")


def releases(text):
    """[(version, date, [item, ...]), ...] in the file's order."""
    found = []
    item = None
    for number, line in enumerate(text.splitlines(), 1):
        heading = HEADING.match(line)
        if heading:
            found.append((heading.group(1), datetime.date.fromisoformat(heading.group(2)), []))
            item = None
        elif line.startswith("## "):
            raise ValueError(f"line {number}: a release heading is '## VERSION — YYYY-MM-DD'")
        elif not found:
            continue
        elif line.startswith("- "):
            item = [line[2:].strip()]
            found[-1][2].append(item)
        elif line.startswith("  ") and item is not None:
            item.append(line.strip())
        elif line.strip():
            raise ValueError(f"line {number}: expected a '- ' item or its indented continuation")
        else:
            item = None
    for version, _, items in found:
        if not items:
            raise ValueError(f"release {version} lists no change")
    if not found:
        raise ValueError("no release heading")
    return [(version, date, [" ".join(words).replace("`", "") for words in items])
            for version, date, items in found]


def debian_changelog(package, maintainer, entries):
    blocks = []
    for version, date, items in entries:
        lines = [f"{package} ({version}) unstable; urgency=medium", ""]
        for item in items:
            lines += textwrap.wrap(item, width=78, initial_indent="  * ", subsequent_indent="    ",
                                   break_on_hyphens=False)
        # Releases are dated by day; noon UTC stands for the day.
        stamp = datetime.datetime.combine(date, datetime.time(12), datetime.timezone.utc)
        lines += ["", f" -- {maintainer}  {stamp.strftime('%a, %d %b %Y %H:%M:%S +0000')}"]
        blocks.append("\n".join(lines) + "\n")
    return "\n".join(blocks)


def main(argv):
    if len(argv) not in (5, 6):
        sys.exit(__doc__)
    source, output, package, maintainer = argv[1:5]
    with open(source, encoding="utf-8") as f:
        entries = releases(f.read())
    if len(argv) == 6 and entries[0][0] != argv[5]:
        sys.exit(f"{source}: newest release is {entries[0][0]}, the project's version is {argv[5]}")
    text = debian_changelog(package, maintainer, entries).encode("utf-8")
    with open(output, "wb") as raw, gzip.GzipFile(filename="", mode="wb", compresslevel=9,
                                                   fileobj=raw, mtime=0) as packed:
        packed.write(text)


if __name__ == "__main__":
    main(sys.argv)
