"""The module's folders include one another in one direction only.

Every #include "X/..." of src/<folder>/*.h and *.cpp is checked against the
layer order below: a folder may include itself and the layers before it, and
the foundation folders (component libraries, resources, fan performance) may
include no layer. Each upward include is named by file and line. A folder of
src/ that is in no layer fails too, so that a new one is placed on purpose.
"""

import pathlib
import re
import sys

CHAIN = ["db", "drawings", "styledlg", "fandlg", "duty", "sched", "host"]
FOUNDATION = ["components", "uikit", "cadkit", "res", "fanperf"]
RANK = {**{name: 0 for name in FOUNDATION}, **{name: i + 1 for i, name in enumerate(CHAIN)}}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')


def upward_includes(src):
    """(file, line, message) of each include of a layer after the including folder's."""
    found = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in RANK:
            found.append((folder, 0, "is in no layer of the order"))
            continue
        for path in sorted(folder.rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            lines = path.read_text(encoding="utf-8").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if match and RANK.get(match.group(1), -1) > RANK[folder.name]:
                    found.append((path, number, "includes a later layer: " + line.strip()))
    return found


def main():
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    found = upward_includes(src)
    for path, number, message in found:
        print("%s:%d: %s" % (path, number, message))
    if found:
        print("layer order: %s, after %s" % (" -> ".join(CHAIN), ", ".join(FOUNDATION)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
