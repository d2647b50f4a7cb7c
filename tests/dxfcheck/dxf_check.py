#!/usr/bin/python3
"""Strict checker of ASCII DXF drawings, R12 to R2018.

Usage: dxf_check.py FILE...
Prints every fault as FILE:LINE: message; exits 0 when every file is clean, 1 when a
fault was found, 2 on a usage or read error.

It checks, on the file's own lines, what ezdxf's reader and audit let pass: the sections,
tables and entries AutoCAD-class readers need; handles unique and below $HANDSEED;
pointers that reach an object; finite numbers; xdata of registered applications with
strings of at most 255 bytes; no data after 0/EOF; no VERTEX, ATTRIB or SEQEND outside the
entity they follow. A file that passes is then read and audited by ezdxf: what it cannot
read (a handle 0 or not hexadecimal, a missing SEQEND or 0/EOF, a bad group code) and what
its audit finds or repairs is a fault on line 1 (repairs of R12 drawings aside: they have
no owners).
"""

import math
import re
import sys
from typing import NamedTuple

R13, R2000 = "AC1012", "AC1015"
VERSIONS = {"AC1009", "AC1012", "AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027",
            "AC1032"}  # R12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018
SECTIONS = ["HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"]
TABLE_NAMES = ["VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE",
               "BLOCK_RECORD"]
# Entries AutoCAD-class readers need in an R2000 or later drawing; names are compared
# without case, as those readers do.
REQUIRED_ENTRIES = {
    "VPORT": ["*Active"], "LTYPE": ["ByBlock", "ByLayer", "Continuous"], "LAYER": ["0"],
    "STYLE": ["Standard"], "APPID": ["ACAD"], "BLOCK_RECORD": ["*Model_Space", "*Paper_Space"],
}
FLOAT_CODES = set(range(10, 60)) | set(range(110, 150)) | set(range(210, 240)) | \
    set(range(460, 470)) | set(range(1010, 1060))
# Codes that point at another object by handle; "0" is the null pointer.
POINTER_CODES = set(range(330, 370)) | set(range(390, 400)) | {480, 481}
FLOAT_RE = re.compile(r"^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$")
HANDLE_RE = re.compile(r"^[0-9A-Fa-f]{1,16}$")
CODE_LINE_RE = re.compile(rb"^\s*-?\d+\s*$")


class Tag(NamedTuple):
    code: int
    value: str  # the bytes as Latin-1: names compare alike whatever the encoding
    line: int  # line of the group code; the value is on the next line
    nbytes: int  # length of the value in the file's bytes

    @property
    def vline(self):
        return self.line + 1


class Record:
    """One 0-tagged record; own holds its tags before the extended data."""

    def __init__(self, tags):
        self.type, self.line, self.body = tags[0].value, tags[0].line, tags[1:]
        i = next((i for i, t in enumerate(self.body) if t.code == 1001), len(self.body))
        self.own, self.xdata = self.body[:i], self.body[i:]
        self.table = None  # the table a table record stands in

    def value(self, code, default=None):
        return next((t.value for t in self.own if t.code == code), default)


class Checker:
    """Checks one file's lines; faults holds (line, message) pairs in the order found."""

    def __init__(self, data):
        self.data = data
        self.faults = []
        self.version = "AC1009"
        self.header = {}  # variable name -> its value tags
        self.sections = {}  # name -> SECTION record
        self.records = []  # every record of TABLES, BLOCKS, ENTITIES and OBJECTS
        self.tables = {}  # table name -> (TABLE record, [its entries])
        self.handles = {}  # handle -> record
        self.end_line = 1  # line of 0/EOF, or the last line

    def fault(self, line, message):
        self.faults.append((line, message))

    def modern(self):
        return self.version >= R2000

    def run(self):
        tags = self._read_tags()
        for t in tags:
            if t.code in FLOAT_CODES and not (FLOAT_RE.match(t.value) and
                                              math.isfinite(float(t.value))):
                self.fault(t.vline, f"group code {t.code}: {t.value!r} is not a finite number")
        self._place([t for t in tags if t.code != 999])
        for rec in self.records:
            self._read_handle(rec)
        apps = {r.value(2, "").upper() for r in self.tables.get("APPID", (None, []))[1]}
        for rec in self.records:
            self._check_xdata(rec, apps)
        self._check_required()
        self._check_handles()
        return self.faults

    def _read_tags(self):
        """The tags up to 0/EOF."""
        lines = self.data.split(b"\n")
        if lines and lines[-1] == b"":
            lines.pop()
        lines = [ln[:-1] if ln.endswith(b"\r") else ln for ln in lines]
        tags = []
        for i in range(0, len(lines), 2):
            if not CODE_LINE_RE.match(lines[i]):
                shown = lines[i].decode("latin-1")[:40]
                self.fault(i + 1, f"group code line is not an integer: {shown!r}")
                return tags
            if i + 1 >= len(lines):
                self.fault(i + 1, f"group code {int(lines[i])} has no value line")
                return tags
            value = lines[i + 1]
            tags.append(Tag(int(lines[i]), value.decode("latin-1"), i + 1, len(value)))
            if tags[-1][:2] == (0, "EOF"):
                self.end_line = i + 1
                rest = next((j for j in range(i + 2, len(lines)) if lines[j].strip()), None)
                if rest is not None:
                    self.fault(rest + 1, "data after 0/EOF")
                return tags
        self.end_line = max(len(lines), 1)  # ezdxf refuses a file without 0/EOF
        return tags

    def _place(self, tags):
        """Splits the tags into records and sees each where it stands: the header's
        variables, the tables' entries, the entities a VERTEX, ATTRIB or SEQEND follows
        (ezdxf refuses a chain that SEQEND does not close)."""
        starts = [i for i, t in enumerate(tags) if t.code == 0] + [len(tags)]
        section, table, chain = None, None, False
        for a, b in zip(starts, starts[1:]):
            rec = Record(tags[a:b])
            if rec.type == "SECTION":
                section = rec.value(2, "")
                self.sections.setdefault(section, rec)
                if section == "HEADER":
                    self._read_header(rec.body[1:])
            elif rec.type == "ENDSEC":
                section = table = None
            elif section == "TABLES":
                if rec.type == "TABLE":
                    table = rec
                    self.tables.setdefault(rec.value(2, ""), (rec, []))
                elif rec.type == "ENDTAB":
                    table = None
                    continue
                elif table is not None:
                    rec.table = table.value(2, "")
                    if self.tables[rec.table][0] is table:
                        self.tables[rec.table][1].append(rec)
                self.records.append(rec)
            elif section in ("BLOCKS", "ENTITIES"):
                if rec.type in ("VERTEX", "ATTRIB", "SEQEND"):
                    if not chain:
                        self.fault(rec.line, f"{rec.type} outside a POLYLINE or an INSERT")
                    chain = chain and rec.type != "SEQEND"
                else:  # POLYLINE always has a chain, INSERT when 66 is 1
                    chain = rec.type == "POLYLINE" or \
                        (rec.type == "INSERT" and rec.value(66, "0").strip() == "1")
                self.records.append(rec)
            elif section == "OBJECTS":
                self.records.append(rec)

    def _read_header(self, tags):
        name = None
        for t in tags:
            if t.code == 9:
                name = t.value
                self.header[name] = []
            elif name is not None:
                self.header[name].append(t)
        version = self.header.get("$ACADVER", [None])[0]
        if version and version.value.strip() in VERSIONS:
            self.version = version.value.strip()
        elif version:
            self.fault(version.vline, f"$ACADVER {version.value!r} is not a release from R12 "
                                      "to R2018")

    def _read_handle(self, rec):
        # DIMSTYLE entries keep 5 for the old DIMBLK name and carry the handle in 105.
        code = 105 if rec.table == "DIMSTYLE" else 5
        mine = [t for t in rec.own if t.code == code]
        if not mine:
            if self.version >= R13:
                self.fault(rec.line, f"{rec.type} without a handle ({code})")
            return
        t = mine[0]
        if not HANDLE_RE.match(t.value):
            return  # ezdxf refuses to read it, as a handle 0
        handle = int(t.value, 16)
        if handle in self.handles:
            self.fault(t.vline, f"handle {t.value} is used twice (first at line "
                                f"{self.handles[handle].line})")
        else:
            self.handles[handle] = rec

    def _check_xdata(self, rec, apps):
        for t in rec.xdata:
            if t.code == 1001 and t.value.upper() not in apps:
                self.fault(t.vline, f"xdata application {t.value!r} is not in the APPID table")
            elif t.code == 1000 and t.nbytes > 255:
                self.fault(t.vline, f"xdata string of {t.nbytes} bytes (at most 255)")

    def _check_required(self):
        for name in SECTIONS if self.version >= R13 else ["ENTITIES"]:
            if name not in self.sections:
                self.fault(self.end_line, f"{name} section missing")
        if self.version >= R13 and "HEADER" in self.sections:
            for name in ("$ACADVER", "$HANDSEED"):
                if name not in self.header:
                    self.fault(self.sections["HEADER"].line, f"header variable {name} missing")
        where = self.sections["TABLES"].line if "TABLES" in self.sections else 1
        for name in TABLE_NAMES if self.modern() else ():
            if name not in self.tables:
                self.fault(where, f"{name} table missing")
                continue
            head, entries = self.tables[name]
            names = {r.value(2, "").upper() for r in entries}
            for entry in REQUIRED_ENTRIES.get(name, ()):
                if entry.upper() not in names:
                    self.fault(head.line, f"{name} table without its {entry!r} entry")

    def _check_handles(self):
        seed = self.header.get("$HANDSEED", [None])[0] if self.version >= R13 else None
        if seed and not HANDLE_RE.match(seed.value):
            self.fault(seed.vline, f"$HANDSEED {seed.value!r} is not hexadecimal")
        elif seed and self.handles and int(seed.value, 16) <= max(self.handles):
            self.fault(seed.vline, f"$HANDSEED {seed.value} is not above the largest handle "
                                   f"in use, {max(self.handles):X}")
        for name, values in self.header.items():
            for t in values:
                self._resolve(t, f"header variable {name}")
        for rec in self.records:
            for t in rec.own:
                self._resolve(t, rec.type)
            if self.modern() and not _owner(rec):
                self.fault(rec.line, f"{rec.type} without its owner (330)")

    def _resolve(self, t, what):
        if t.code in POINTER_CODES and t.value != "0" and HANDLE_RE.match(t.value) and \
                int(t.value, 16) not in self.handles:
            self.fault(t.vline, f"{what} group code {t.code} points at handle {t.value}, "
                                "which no object has")


def _owner(rec):
    """Whether the record names its owner: a 330 outside the 102 groups."""
    depth = 0
    for t in rec.own:
        if t.code == 102:
            depth = 1 if t.value.startswith("{") else 0
        elif t.code == 330 and depth == 0:
            return True
    return False


def audit(path, version):
    """What ezdxf cannot read in the file or its audit finds, as (1, message) pairs."""
    import ezdxf
    try:
        auditor = ezdxf.readfile(path).audit()
    except Exception as e:  # DXFStructureError, UnicodeDecodeError, ... all say the same
        return [(1, f"ezdxf cannot read it: {e}")]
    found = auditor.errors + (auditor.fixes if version >= R2000 else [])
    return [(1, f"ezdxf audit: {e.message}") for e in found]


def check_file(path):
    """Faults of one file as printable lines; raises OSError when it cannot be read."""
    with open(path, "rb") as f:
        data = f.read()
    checker = Checker(data)
    faults = checker.run()
    if not faults:
        faults = audit(path, checker.version)
    return [f"{path}:{line}: {message}" for line, message in sorted(faults, key=lambda f: f[0])]


def main(argv):
    if len(argv) < 2 or any(a.startswith("-") for a in argv[1:]):
        print("usage: dxf_check.py FILE...", file=sys.stderr)
        return 2
    status = 0
    for path in argv[1:]:
        try:
            lines = check_file(path)
        except OSError as e:
            print(f"{path}: cannot read: {e.strerror}", file=sys.stderr)
            status = 2
            continue
        for line in lines:
            print(line)
        if lines and status == 0:
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
