#!/usr/bin/python3
"""Strict checker of ASCII DXF drawings, R12 to R2018.

Usage: dxf_check.py FILE...
Prints every fault as FILE:LINE: message; exits 0 when every file is clean, 1 when a
fault was found, 2 on a usage or read error.

ezdxf's audit repairs what it can and says little, so a drawing it takes may still be
one an AutoCAD-class reader refuses or quietly changes. This reads the file's lines as
they are and names each departure with its line. R2000 and later drawings are held to
what those readers need: the standard tables and entries, handles and owners that
resolve, subclass markers in order, block records paired with blocks, a root dictionary.
"""

import codecs
import math
import re
import sys
from types import SimpleNamespace
from typing import NamedTuple

# ------------------------------------------------------------------ group codes

# Value type of every group code a file may hold; any other code is a fault.
_CODE_TYPES = [
    (0, 9, "str"), (10, 59, "float"), (60, 79, "int16"), (90, 99, "int32"),
    (100, 102, "str"), (105, 105, "handle"), (110, 149, "float"), (160, 169, "int64"),
    (170, 179, "int16"), (210, 239, "float"), (270, 289, "int16"), (290, 299, "bool"),
    (300, 309, "str"), (310, 319, "binary"), (320, 369, "handle"), (370, 389, "int16"),
    (390, 399, "handle"), (400, 409, "int16"), (410, 419, "str"), (420, 429, "int32"),
    (430, 439, "str"), (440, 459, "int32"), (460, 469, "float"), (470, 479, "str"),
    (480, 481, "handle"), (999, 999, "str"), (1000, 1003, "str"), (1004, 1004, "binary"),
    (1005, 1005, "handle"), (1006, 1009, "str"), (1010, 1059, "float"),
    (1060, 1070, "int16"), (1071, 1071, "int32"),
]
CODE_TYPE = {c: t for lo, hi, t in _CODE_TYPES for c in range(lo, hi + 1)}
INT_BITS = {"int16": 16, "int32": 32, "int64": 64}

# Codes that point at another object by handle; "0" is the null pointer.
POINTER_CODES = set(range(330, 370)) | set(range(390, 400)) | {480, 481}

# First coordinate codes of points: y is the code + 10, z the code + 20.
POINT_X = set(range(10, 19)) | {110, 111, 112, 210} | set(range(1010, 1014))
POINT_YZ = {c + d for c in POINT_X for d in (10, 20)}

INT_RE = re.compile(r"^\s*[+-]?\d+\s*$")
FLOAT_RE = re.compile(r"^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$")
HANDLE_RE = re.compile(r"^[0-9A-Fa-f]{1,16}$")
HEX_RE = re.compile(r"^([0-9A-Fa-f]{2})*$")
CODE_LINE_RE = re.compile(rb"^\s*-?\d+\s*$")

VERSIONS = {"AC1009", "AC1012", "AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027",
            "AC1032"}  # R12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018
R13, R2000, R2007 = "AC1012", "AC1015", "AC1021"

# ------------------------------------------------------------------ structure

SECTION_ORDER = ["HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"]
TRAILING_SECTIONS = {"THUMBNAILIMAGE", "ACDSDATA"}
TABLE_NAMES = ["VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE",
               "BLOCK_RECORD"]
CHAINS = {"POLYLINE": "VERTEX", "INSERT": "ATTRIB"}

# Entries AutoCAD-class readers need in an R2000 or later drawing; names are compared
# without case, as those readers do.
REQUIRED_ENTRIES = {
    "VPORT": ["*Active"], "LTYPE": ["ByBlock", "ByLayer", "Continuous"], "LAYER": ["0"],
    "STYLE": ["Standard"], "APPID": ["ACAD"], "BLOCK_RECORD": ["*Model_Space", "*Paper_Space"],
}
# Header variables that name a table entry.
HEADER_NAMES = {"$CLAYER": "LAYER", "$CELTYPE": "LTYPE", "$TEXTSTYLE": "STYLE",
                "$DIMSTYLE": "DIMSTYLE"}

# Subclass markers in the order R2000 and later files carry them, after the AcDbEntity
# of every entity; "a|b" lets either stand at that place.
_ENTITY_MARKERS = {
    "LINE": "AcDbLine", "CIRCLE": "AcDbCircle", "ARC": "AcDbCircle AcDbArc",
    "LWPOLYLINE": "AcDbPolyline", "SEQEND": "", "TEXT": "AcDbText AcDbText",
    "POLYLINE": "AcDb2dPolyline|AcDb3dPolyline|AcDbPolyFaceMesh|AcDbPolygonMesh",
    "MTEXT": "AcDbMText", "INSERT": "AcDbBlockReference", "ATTRIB": "AcDbText AcDbAttribute",
    "ATTDEF": "AcDbText AcDbAttributeDefinition", "POINT": "AcDbPoint", "SOLID": "AcDbTrace",
    "TRACE": "AcDbTrace", "3DFACE": "AcDbFace", "ELLIPSE": "AcDbEllipse",
    "SPLINE": "AcDbSpline", "HATCH": "AcDbHatch", "BLOCK": "AcDbBlockBegin",
    "ENDBLK": "AcDbBlockEnd",
}
SUBCLASSES = {kind: [tuple(("AcDbEntity " + m).split())] for kind, m in _ENTITY_MARKERS.items()}
SUBCLASSES["VERTEX"] = [
    ("AcDbEntity", "AcDbVertex",
     "AcDb2dVertex|AcDb3dPolylineVertex|AcDbPolyFaceMeshVertex|AcDbPolygonMeshVertex"),
    ("AcDbEntity", "AcDbVertex", "AcDbPolyFaceMeshVertex", "AcDbFaceRecord"),
    ("AcDbEntity", "AcDbFaceRecord")]
SUBCLASSES.update({
    "DICTIONARY": [("AcDbDictionary",)], "LAYOUT": [("AcDbPlotSettings", "AcDbLayout")],
    "ACDBDICTIONARYWDFLT": [("AcDbDictionary", "AcDbDictionaryWithDefault")],
    "XRECORD": [("AcDbXrecord",)], "GROUP": [("AcDbGroup",)], "ACDBPLACEHOLDER": [()],
    "DICTIONARYVAR": [("DictionaryVariables",)], "MLINESTYLE": [("AcDbMlineStyle",)],
})
RECORD_SUBCLASSES = {
    "VPORT": "AcDbViewportTableRecord", "LTYPE": "AcDbLinetypeTableRecord",
    "LAYER": "AcDbLayerTableRecord", "STYLE": "AcDbTextStyleTableRecord",
    "VIEW": "AcDbViewTableRecord", "UCS": "AcDbUCSTableRecord",
    "APPID": "AcDbRegAppTableRecord", "DIMSTYLE": "AcDbDimStyleTableRecord",
    "BLOCK_RECORD": "AcDbBlockTableRecord",
}

# Group codes a record cannot do without.
REQUIRED_CODES = {
    "LINE": (10, 11), "CIRCLE": (10, 40), "ARC": (10, 40, 50, 51), "LWPOLYLINE": (90, 10),
    "VERTEX": (10,), "TEXT": (10, 40, 1), "MTEXT": (10, 40), "INSERT": (2, 10),
    "ATTRIB": (10, 40, 1, 2), "ATTDEF": (10, 40, 1, 2, 3), "POINT": (10,),
    "SOLID": (10, 11, 12), "ELLIPSE": (10, 11, 40, 41, 42), "SPLINE": (70, 71, 72, 73, 74),
    "HATCH": (10, 2, 70, 71, 91), "BLOCK": (2, 70, 10), "CLASS": (1, 2, 3, 90, 280, 281),
    "LAYER": (2, 70, 62, 6), "LTYPE": (2, 70, 72, 73, 40), "STYLE": (2, 70, 40, 41, 71, 42, 3),
    "VPORT": (2, 70), "VIEW": (2, 70), "UCS": (2, 70), "APPID": (2, 70), "DIMSTYLE": (2, 70),
    "BLOCK_RECORD": (2,),
}
# Count fields that must match the number of the items they count.
COUNTS = {"LWPOLYLINE": [(90, 10)], "SPLINE": [(72, 40), (73, 10), (74, 11)]}
# Names entities give that a table must hold: group code, table, kinds that use the code.
NAME_REFERENCES = [(8, "LAYER", None), (6, "LTYPE", None),
                   (7, "STYLE", {"TEXT", "MTEXT", "ATTRIB", "ATTDEF"})]


class Tag(NamedTuple):
    code: int
    value: str
    line: int  # line of the group code; the value is on the next line
    nbytes: int  # length of the value in the file's bytes

    @property
    def vline(self):
        return self.line + 1


class Record:
    """One 0-tagged record and where it stands in the file."""

    def __init__(self, tags):
        self.type, self.line, self.body = tags[0].value, tags[0].line, tags[1:]
        self.section = None
        self.table = None  # table name, for table heads and records
        self.head = None  # TABLE head, for table records
        self.block = None  # enclosing BLOCK record, in the BLOCKS section
        self.parent = None  # POLYLINE or INSERT, for VERTEX, ATTRIB and SEQEND
        self.handle = None
        self.owner = None  # the owner tag (330)

    def first(self, code):
        return next((t for t in self.body if t.code == code), None)

    def value(self, code, default=None):
        tag = self.first(code)
        return tag.value if tag else default

    def own_data(self):
        """Tags before the extended data."""
        i = next((i for i, t in enumerate(self.body) if t.code == 1001), len(self.body))
        return self.body[:i]


def _encoding(codepage):
    """Python codec of a $DWGCODEPAGE name, None when there is none."""
    name = codepage.strip().upper()
    codec = {"ANSI_936": "gbk", "DOS936": "gbk", "GB2312": "gb2312", "BIG5": "big5",
             "KSC5601": "euc_kr", "JOHAB": "johab", "MACINTOSH": "mac_roman"}.get(name)
    m = re.match(r"^(ANSI_|DOS|ISO8859-)(\d+)$", name)
    if codec is None and m:
        codec = ("iso8859_" if m.group(1) == "ISO8859-" else "cp") + m.group(2)
    try:
        return codecs.lookup(codec).name if codec else None
    except LookupError:
        return None


class Checker:
    """Checks one file; faults holds (line, message) pairs in the order found."""

    def __init__(self, data):
        self.data = data
        self.faults = []
        self.version = "AC1009"
        self.header = {}  # variable name -> (line of its name, [value tags])
        self.sections = {}  # name -> SECTION record
        self.records = []  # every record of TABLES, BLOCKS, ENTITIES and OBJECTS
        self.tables = {}  # table name -> (TABLE head, [records])
        self.blocks = []  # BLOCK records
        self.block_content = {}  # id(BLOCK record) -> its entities
        self.objects = []  # the OBJECTS section
        self.handles = {}  # handle -> record
        self.apps = set()  # names the APPID table registers, upper case
        self.end_line = 1  # line of 0/EOF, or the last line

    def fault(self, line, message):
        self.faults.append((line, message))

    def modern(self):
        return self.version >= R2000

    def entries(self, table):
        return self.tables.get(table, (None, []))[1]

    def entry(self, table, name):
        """The record of a table named name, compared without case."""
        key = None if name is None else name.upper()
        return next((r for r in self.entries(table) if r.value(2, "").upper() == key), None)

    def run(self):
        if self.data.startswith(b"AutoCAD Binary DXF"):
            self.fault(1, "binary DXF: only ASCII DXF is checked")
            return self.faults
        raw = self._read_tags()
        self._read_version(raw)
        tags = self._decode(raw)
        for t in tags:
            self._check_value(t)
        self._structure([t for t in tags if t.code != 999])
        self._check_sections()
        self.apps = {r.value(2, "").upper() for r in self.entries("APPID")}
        for rec in self.records:
            self._check_record(rec)
        for check in (self._check_handles, self._check_tables, self._check_blocks,
                      self._check_cycles, self._check_names, self._check_objects):
            check()
        return self.faults

    # -------------------------------------------------------------- tags

    def _read_tags(self):
        """(code, raw value bytes, line) of each pair up to 0/EOF."""
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
            code = int(lines[i])
            if i + 1 >= len(lines):
                self.fault(i + 1, f"group code {code} has no value line")
                return tags
            if code not in CODE_TYPE:
                self.fault(i + 1, f"group code {code} is not a DXF group code")
            tags.append((code, lines[i + 1], i + 1))
            if code == 0 and lines[i + 1] == b"EOF":
                self.end_line = i + 1
                rest = next((j for j in range(i + 2, len(lines)) if lines[j].strip()), None)
                if rest is not None:
                    self.fault(rest + 1, "data after 0/EOF")
                return tags
        self.end_line = max(len(lines), 1)
        self.fault(self.end_line, "file does not end with 0/EOF")
        return tags

    def _read_version(self, raw):
        """Reads $ACADVER and $DWGCODEPAGE, which decide the text encoding."""
        names = {}
        for k in range(len(raw) - 1):
            if raw[k][0] == 0 and raw[k][1] == b"ENDSEC":
                break
            if raw[k][0] == 9 and raw[k][1] in (b"$ACADVER", b"$DWGCODEPAGE"):
                names[raw[k][1]] = raw[k + 1]
        if b"$ACADVER" in names:
            code, value, line = names[b"$ACADVER"]
            version = value.decode("latin-1").strip()
            if version in VERSIONS:
                self.version = version
            else:
                self.fault(line + 1, f"$ACADVER {version!r} is not a release from R12 to R2018")
        self.label, self.codec = ("UTF-8", "utf-8") if self.version >= R2007 else \
            ("ANSI_1252", "cp1252")
        if b"$DWGCODEPAGE" in names and self.version < R2007:
            code, value, line = names[b"$DWGCODEPAGE"]
            self.label = value.decode("latin-1").strip()
            self.codec = _encoding(self.label)
            if self.codec is None:
                self.fault(line + 1, f"$DWGCODEPAGE {self.label!r} names no known code page")
                self.codec = "latin-1"

    def _decode(self, raw):
        tags = []
        for code, value, line in raw:
            try:
                text = value.decode(self.codec)
            except UnicodeDecodeError as e:
                self.fault(line + 1, f"text is not valid {self.label}: byte "
                                     f"0x{value[e.start]:02X} at column {e.start + 1}")
                text = value.decode(self.codec, errors="replace")
            tags.append(Tag(code, text, line, len(value)))
        return tags

    def _check_value(self, t):
        kind, v = CODE_TYPE.get(t.code), t.value

        def say(what):
            self.fault(t.vline, f"group code {t.code}: {what}")

        if kind in ("str", "handle") and re.search(r"[\x00-\x1f\x7f]", v):
            say("control character in a text value")
        elif kind == "float":
            if not FLOAT_RE.match(v):
                say(f"{v!r} is not a number")
            elif not math.isfinite(float(v)):
                say(f"{v.strip()} is not a finite number")
        elif kind in INT_BITS:
            bits = INT_BITS[kind]
            if not INT_RE.match(v):
                say(f"{v!r} is not an integer")
            elif not -(1 << (bits - 1)) <= int(v) < (1 << (bits - 1)):
                say(f"{v.strip()} is out of range for a {bits}-bit integer")
        elif kind == "bool" and v.strip() not in ("0", "1"):
            say(f"{v!r} is not a boolean 0 or 1")
        elif kind == "binary" and not HEX_RE.match(v):
            say("binary data is not pairs of hex digits")
        elif kind == "handle" and v != "0" and not HANDLE_RE.match(v):
            say(f"{v!r} is not a hexadecimal handle")

    # -------------------------------------------------------------- structure

    def _structure(self, tags):
        """Splits the tags into sections and records and checks their nesting."""
        starts = [i for i, t in enumerate(tags) if t.code == 0]
        if tags and (not starts or starts[0] != 0):
            self.fault(tags[0].line, "group codes before the first 0/SECTION")
        state = SimpleNamespace(section=None, table=None, block=None, chain=None)
        for a, b in zip(starts, starts[1:] + [len(tags)]):
            rec = Record(tags[a:b])
            if rec.type == "EOF":
                if state.section:
                    self.fault(rec.line, f"0/EOF inside section {state.section} "
                                         "(ENDSEC missing)")
                return
            if rec.type == "SECTION":
                if state.section:
                    self.fault(rec.line, f"SECTION inside section {state.section} "
                                         "(ENDSEC missing)")
                    self._close_section(state, rec.line)
                self._open_section(state, rec)
            elif state.section is None:
                self.fault(rec.line, f"{rec.type} outside any section")
            elif rec.type == "ENDSEC":
                self._close_section(state, rec.line)
            else:
                self._place(state, rec)

    def _open_section(self, state, rec):
        name = rec.body[0].value if rec.body and rec.body[0].code == 2 else None
        state.section = name or "?"
        if name is None:
            return self.fault(rec.line, "SECTION without its name (2)")
        if name not in SECTION_ORDER and name not in TRAILING_SECTIONS:
            self.fault(rec.body[0].vline, f"unknown section {name}")
        if name in self.sections:
            return self.fault(rec.line, f"second {name} section")
        later = [s for s in self.sections if s in SECTION_ORDER and name in SECTION_ORDER
                 and SECTION_ORDER.index(s) > SECTION_ORDER.index(name)]
        if later:
            self.fault(rec.line, f"section {name} after section {later[0]}")
        self.sections[name] = rec
        if name == "HEADER":
            self._read_header(rec.body[1:])
        elif len(rec.body) > 1 and name in SECTION_ORDER:
            self.fault(rec.body[1].line, f"group code {rec.body[1].code} after the name "
                                         f"of section {name}")

    def _close_section(self, state, line):
        if state.table:
            self.fault(state.table.line, f"TABLE {state.table.table} not closed by ENDTAB")
        if state.block:
            self.fault(state.block.line, f"BLOCK {state.block.value(2)!r} not closed by ENDBLK")
        if state.chain:
            self._chain_unclosed(state, line, "ENDSEC")
        state.section = state.table = state.block = state.chain = None

    def _read_header(self, tags):
        name = None
        for t in tags:
            if t.code == 9:
                name = t.value
                if not name.startswith("$"):
                    self.fault(t.vline, f"header variable name {name!r} does not start with $")
                if name in self.header:
                    self.fault(t.line, f"header variable {name} is given twice")
                self.header[name] = (t.line, [])
            elif name is None:
                self.fault(t.line, f"group code {t.code} in HEADER before any variable name (9)")
            else:
                self.header[name][1].append(t)
        for name, (line, values) in self.header.items():
            if not values:
                self.fault(line, f"header variable {name} has no value")
            self._check_points(values)

    def _place(self, state, rec):
        rec.section = state.section
        if state.section == "HEADER":
            self.fault(rec.line, f"{rec.type} in the HEADER section")
        elif state.section == "CLASSES":
            if rec.type != "CLASS":
                self.fault(rec.line, f"{rec.type} in the CLASSES section")
            self._check_required(rec)
        elif state.section == "TABLES":
            self._place_in_tables(state, rec)
        elif state.section == "BLOCKS":
            self._place_in_blocks(state, rec)
        elif state.section == "ENTITIES":
            if rec.type in ("BLOCK", "ENDBLK", "TABLE", "ENDTAB"):
                self.fault(rec.line, f"{rec.type} in the ENTITIES section")
            else:
                self._place_entity(state, rec, [])
        elif state.section == "OBJECTS":
            self.records.append(rec)
            self.objects.append(rec)

    def _place_in_tables(self, state, rec):
        if rec.type == "ENDTAB":
            if not state.table:
                self.fault(rec.line, "ENDTAB without TABLE")
            state.table = None
            return
        if rec.type == "TABLE":
            if state.table:
                self.fault(rec.line, f"TABLE inside TABLE {state.table.table} (ENDTAB missing)")
            rec.table = rec.value(2, "")
            if rec.table not in TABLE_NAMES:
                self.fault(rec.line, f"unknown table {rec.table!r}")
            elif rec.table in self.tables:
                self.fault(rec.line, f"second {rec.table} table")
            else:
                self.tables[rec.table] = (rec, [])
            state.table = rec
        elif not state.table:
            return self.fault(rec.line, f"{rec.type} outside any TABLE")
        else:
            if rec.type != state.table.table:
                self.fault(rec.line, f"{rec.type} record in the {state.table.table} table")
            rec.table, rec.head = rec.type, state.table
            if self.tables.get(rec.type, (None,))[0] is state.table:
                self.tables[rec.type][1].append(rec)
        self.records.append(rec)

    def _place_in_blocks(self, state, rec):
        if rec.type not in ("BLOCK", "ENDBLK"):
            if not state.block:
                return self.fault(rec.line, f"{rec.type} in BLOCKS outside any BLOCK")
            rec.block = state.block
            return self._place_entity(state, rec, self.block_content[id(state.block)])
        if state.chain:
            self._chain_unclosed(state, rec.line, rec.type)
        if rec.type == "BLOCK":
            if state.block:
                self.fault(rec.line, f"BLOCK inside BLOCK {state.block.value(2)!r} "
                                     "(ENDBLK missing)")
            state.block = rec
            self.blocks.append(rec)
            self.block_content[id(rec)] = []
        else:
            if not state.block:
                self.fault(rec.line, "ENDBLK without BLOCK")
            rec.block, state.block = state.block, None
        self.records.append(rec)

    def _place_entity(self, state, rec, content):
        """Keeps VERTEX and ATTRIB chains closed by SEQEND."""
        chain = state.chain
        if chain and rec.type not in (CHAINS[chain.type], "SEQEND"):
            self._chain_unclosed(state, rec.line, rec.type)
            chain = None
        if rec.type in ("VERTEX", "ATTRIB", "SEQEND"):
            if chain is None:
                owner = {"ATTRIB": "an INSERT with attributes (66 = 1)",
                         "VERTEX": "a POLYLINE"}.get(rec.type, "a POLYLINE or an INSERT")
                self.fault(rec.line, f"{rec.type} outside {owner}")
            rec.parent = chain
            if rec.type == "SEQEND":
                state.chain = None
        else:
            content.append(rec)
            follows = rec.type == "POLYLINE" or \
                (rec.type == "INSERT" and rec.value(66, "0").strip() == "1")
            state.chain = rec if follows else None
        self.records.append(rec)

    def _chain_unclosed(self, state, line, what):
        self.fault(line, f"{what} where the SEQEND of the {state.chain.type} at line "
                         f"{state.chain.line} belongs")
        state.chain = None

    def _check_sections(self):
        for name in SECTION_ORDER if self.version >= R13 else ["ENTITIES"]:
            if name not in self.sections:
                self.fault(self.end_line, f"{name} section missing")
        if self.version >= R13 and "HEADER" in self.sections:
            for name in ("$ACADVER", "$HANDSEED"):
                if name not in self.header:
                    self.fault(self.sections["HEADER"].line, f"header variable {name} missing")

    # -------------------------------------------------------------- records

    def _check_record(self, rec):
        self._check_points(rec.body)
        self._check_groups(rec)
        self._check_xdata(rec)
        self._check_required(rec)
        self._read_handle(rec)
        if self.modern():
            self._check_subclasses(rec)

    def _check_points(self, tags):
        for k, t in enumerate(tags):
            if t.code in POINT_YZ and (k == 0 or tags[k - 1].code != t.code - 10):
                self.fault(t.line, f"group code {t.code} without the coordinate "
                                   f"{t.code - 10} before it")
            if t.code in POINT_X and (k + 1 == len(tags) or tags[k + 1].code != t.code + 10):
                self.fault(t.line, f"point {t.code} without its y coordinate {t.code + 10}")

    def _check_groups(self, rec):
        """102 groups: {NAME ... } pairs, not nested."""
        opened = None
        for t in (t for t in rec.own_data() if t.code == 102):
            if t.value.startswith("{") and len(t.value) > 1 and opened is None:
                opened = t
            elif t.value == "}" and opened is not None:
                opened = None
            else:
                self.fault(t.line, f"102 group {t.value!r} "
                                   f"{'inside another' if opened else 'not opened'}")
        if opened is not None:
            self.fault(opened.line, f"102 group {opened.value!r} not closed by }}")

    def _check_xdata(self, rec):
        app, depth, seen = None, 0, set()
        for t in rec.body + [Tag(1001, "", 0, 0)]:  # the sentinel ends the last application
            if t.code == 1001:
                if app is not None and depth > 0:
                    self.fault(app.line, f"xdata of {app.value!r}: {depth} {{ not closed by }}")
                if t.line == 0:
                    break
                app, depth = t, 0
                if t.value.upper() not in self.apps:
                    self.fault(t.vline, f"xdata application {t.value!r} is not in the APPID table")
                if t.value.upper() in seen:
                    self.fault(t.line, f"second xdata of application {t.value!r}")
                seen.add(t.value.upper())
            elif app is None:
                if t.code >= 1000 and rec.type != "XRECORD":
                    self.fault(t.line, f"xdata group code {t.code} before any 1001 application")
            elif t.code < 1000:
                self.fault(t.line, f"group code {t.code} inside xdata (the {rec.type}'s own "
                                   "data must come first)")
            elif t.code == 1000 and t.nbytes > 255:
                self.fault(t.vline, f"xdata string of {t.nbytes} bytes (at most 255)")
            elif t.code == 1002:
                if t.value not in ("{", "}"):
                    self.fault(t.vline, f"xdata control string {t.value!r} is neither {{ nor }}")
                depth += {"{": 1, "}": -1}.get(t.value, 0)
                if depth < 0:
                    self.fault(t.line, "xdata } without {")
                    depth = 0

    def _check_required(self, rec):
        if rec.type in RECORD_SUBCLASSES and rec.table is None:
            return  # a record out of place, already reported
        codes = [t.code for t in rec.own_data()]
        for code in REQUIRED_CODES.get(rec.type, ()):
            if code not in codes:
                self.fault(rec.line, f"{rec.type} without group code {code}")
        for count_code, item in COUNTS.get(rec.type, ()):
            count = rec.first(count_code)
            if count and INT_RE.match(count.value) and int(count.value) != codes.count(item):
                self.fault(count.vline, f"{rec.type} count {count_code} is {count.value.strip()} "
                                        f"but it has {codes.count(item)} group code {item}")
        if rec.table and rec.type != "TABLE" and rec.value(2) == "":
            self.fault(rec.line, f"{rec.type} record with an empty name")

    def _read_handle(self, rec):
        if rec.type == "ENDTAB":
            return
        # DIMSTYLE records keep 5 for the old DIMBLK name and carry the handle in 105.
        code = 105 if rec.type == "DIMSTYLE" and rec.head is not None else 5
        data = rec.own_data()
        rec.owner = _owner_tag(data)
        for t in data:
            if t.code == 105 and code != 105:
                self.fault(t.line, f"{rec.type} handle in group code 105; it belongs in 5")
        mine = [t for t in data if t.code == code]
        if len(mine) > 1:
            self.fault(mine[1].line, f"{rec.type} has a second handle")
        if not mine:
            if self.version >= R13:
                self.fault(rec.line, f"{rec.type} without a handle ({code})")
            return
        t, at = mine[0], 1 if rec.type == "TABLE" else 0
        if self.modern() and data.index(t) != at:
            self.fault(t.line, f"{rec.type} handle is not the first group after "
                               f"{'the table name' if at else 'the record type'}")
        if not HANDLE_RE.match(t.value):
            return self.fault(t.vline, f"{rec.type} handle {t.value!r} is not hexadecimal")
        rec.handle = int(t.value, 16)
        if rec.handle == 0:
            self.fault(t.vline, f"{rec.type} handle is 0")
        elif rec.handle in self.handles:
            self.fault(t.vline, f"handle {t.value} is used twice (first at line "
                                f"{self.handles[rec.handle].line})")
        else:
            self.handles[rec.handle] = rec

    def _check_subclasses(self, rec):
        allowed = SUBCLASSES.get(rec.type)
        if rec.type == "TABLE":
            allowed = [("AcDbSymbolTable",) + ("AcDbDimStyleTable",) * (rec.table == "DIMSTYLE")]
        elif rec.table:
            allowed = [("AcDbSymbolTableRecord", RECORD_SUBCLASSES.get(rec.table, ""))]
        if allowed is None or rec.type == "ENDTAB":
            return
        data = rec.own_data()
        markers = [t for t in data if t.code == 100]
        names = tuple(t.value for t in markers)
        if any(len(a) == len(names) and all(n in p.split("|") for n, p in zip(names, a))
               for a in allowed):
            return self._check_before_subclass(rec, data, markers[0]) if markers else None
        want = allowed[0]
        wrong = [m for m, p in zip(markers, want) if m.value not in p.split("|")]
        line = wrong[0].line if wrong else \
            markers[len(want)].line if len(markers) > len(want) else rec.line
        self.fault(line, f"{rec.type} subclass markers are {' '.join(names) or 'none'}; "
                         f"expected {' '.join(want).replace('|', ' or ') or 'none'}")

    def _check_before_subclass(self, rec, data, marker):
        depth = 0
        for t in data[:data.index(marker)]:
            if t.code == 102:
                depth = 1 if t.value.startswith("{") else 0
            elif depth == 0 and t.code not in (5, 105, 330) and \
                    not (rec.type == "TABLE" and t.code == 2):
                self.fault(t.line, f"{rec.type} group code {t.code} before the subclass "
                                   f"marker {marker.value}")

    # -------------------------------------------------------------- drawing

    def _check_handles(self):
        seed = self.header.get("$HANDSEED", (0, [None]))[1]
        seed = seed[0] if seed and self.version >= R13 else None
        if seed and not HANDLE_RE.match(seed.value):
            self.fault(seed.vline, f"$HANDSEED {seed.value!r} is not hexadecimal")
        elif seed and self.handles and int(seed.value, 16) <= max(self.handles):
            self.fault(seed.vline, f"$HANDSEED {seed.value} is not above the largest handle "
                                   f"in use, {max(self.handles):X}")
        for name, (line, values) in self.header.items():
            for t in (t for t in values if t.code in POINTER_CODES):
                self._resolve(t, f"header variable {name}")
        for rec in self.records:
            for t in rec.own_data():
                if t.code in POINTER_CODES and (t is not rec.owner or not self.modern()):
                    self._resolve(t, rec.type)
        for rec in self.records if self.modern() else ():
            if rec.type != "ENDTAB":
                self._check_owner(rec)

    def _resolve(self, t, what):
        if t.value != "0" and HANDLE_RE.match(t.value) and int(t.value, 16) not in self.handles:
            self.fault(t.vline, f"{what} group code {t.code} points at handle {t.value}, "
                                "which no object has")

    def _check_owner(self, rec):
        if rec.owner is None:
            return self.fault(rec.line, f"{rec.type} without its owner (330)")
        expected, what = self._expected_owner(rec)
        value, line = rec.owner.value, rec.owner.vline
        if expected == "0":
            if value != "0":
                self.fault(line, f"{rec.type} owner is {value}; {what} has none (0)")
        elif not HANDLE_RE.match(value) or int(value, 16) not in self.handles:
            self.fault(line, f"{rec.type} owner {value} is no object in the file")
        elif expected is not None and int(value, 16) != expected:
            self.fault(line, f"{rec.type} owner is {value}; {what} has handle {expected:X}")

    def _expected_owner(self, rec):
        """(handle, description) of the owner rec must have; None where any object will do."""
        if rec.type == "TABLE" or (self.objects and rec is self.objects[0]):
            return "0", "a table or the root dictionary"
        if rec.head is not None:
            return rec.head.handle, f"its {rec.table} table"
        if rec.parent is not None:
            # AutoCAD's own files disagree on whether a VERTEX, ATTRIB or SEQEND belongs
            # to its POLYLINE or INSERT or to that entity's owner; readers take either.
            parent = rec.parent.owner
            if parent is not None and rec.owner is not None and rec.owner.value == parent.value:
                return self._expected_owner(rec.parent)
            return rec.parent.handle, f"its {rec.parent.type} at line {rec.parent.line}"
        if rec.section == "ENTITIES":
            space = "*Paper_Space" if rec.value(67, "0").strip() == "1" else "*Model_Space"
        elif rec.section == "BLOCKS":
            block = rec if rec.type == "BLOCK" else rec.block
            space = block.value(2, "") if block else None
        else:
            return None, ""
        record = self.entry("BLOCK_RECORD", space)
        if record is None or record.handle is None:
            return None, ""
        return record.handle, f"the BLOCK_RECORD {space!r}"

    def _check_tables(self):
        for name, (head, entries) in self.tables.items():
            seen = {}
            for rec in entries:
                first = seen.setdefault(rec.value(2, "").upper(), rec)
                if first is not rec and name != "VPORT":
                    self.fault(rec.line, f"{name} {rec.value(2)!r} is defined twice (first at "
                                         f"line {first.line})")
        where = self.sections["TABLES"].line if "TABLES" in self.sections else 1
        for name in TABLE_NAMES if self.modern() else ():
            if name not in self.tables:
                self.fault(where, f"{name} table missing")
                continue
            head = self.tables[name][0]
            for entry in REQUIRED_ENTRIES.get(name, ()):
                if self.entry(name, entry) is None:
                    self.fault(head.line, f"{name} table without its {entry!r} entry")
            if name == "DIMSTYLE" and not self.entries(name):
                self.fault(head.line, "DIMSTYLE table without any dimension style")
        for var, table in HEADER_NAMES.items():
            value = self.header.get(var, (0, [None]))[1]
            value = value[0] if value else None
            if value and value.value and table in self.tables and \
                    self.entry(table, value.value) is None:
                self.fault(value.vline, f"{var} names {table} {value.value!r}, which the "
                                        f"{table} table lacks")

    def _check_blocks(self):
        defined = {}
        for block in self.blocks:
            first = defined.setdefault(block.value(2, "").upper(), block)
            if first is not block:
                self.fault(block.line, f"block {block.value(2)!r} is defined twice (first at "
                                       f"line {first.line})")
        for rec in self.records:
            name = rec.value(2) if rec.type == "INSERT" else None
            if name is not None and name.upper() not in defined:
                self.fault(rec.first(2).vline, f"INSERT of block {name!r}, which is not defined")
        if not self.modern():
            return
        for record in self.entries("BLOCK_RECORD"):
            if record.value(2, "").upper() not in defined:
                self.fault(record.line, f"BLOCK_RECORD {record.value(2)!r} has no BLOCK")
        for block in self.blocks:
            name = block.value(2, "")
            if "BLOCK_RECORD" in self.tables and self.entry("BLOCK_RECORD", name) is None:
                self.fault(block.line, f"BLOCK {name!r} has no BLOCK_RECORD")
            content = self.block_content[id(block)]
            if name.upper() in ("*MODEL_SPACE", "*PAPER_SPACE") and content:
                self.fault(content[0].line, f"{content[0].type} inside block {name}; its "
                                            "entities belong in the ENTITIES section")

    def _check_cycles(self):
        """A block that inserts itself, directly or through other blocks, has no end."""
        inside, shown = {}, {b.value(2, "").upper(): b.value(2, "") for b in self.blocks}
        for rec in self.records:
            if rec.type == "INSERT" and rec.block is not None and rec.value(2):
                inside.setdefault(rec.block.value(2, "").upper(), []).append(rec)
        state = {}  # block name -> "open" while on the path, "done" after
        for start in inside:
            if start in state:
                continue
            path, stack, state[start] = [start], [iter(inside[start])], "open"
            while stack:
                ref = next(stack[-1], None)
                if ref is None:
                    state[path.pop()] = "done"
                    stack.pop()
                    continue
                target = ref.value(2).upper()
                if state.get(target) == "open":
                    cycle = " -> ".join(shown[n] for n in path[path.index(target):] + [target])
                    self.fault(ref.first(2).vline, f"INSERT closes a cycle of blocks: {cycle}")
                elif target not in state and target in inside:
                    path.append(target)
                    stack.append(iter(inside[target]))
                    state[target] = "open"

    def _check_names(self):
        """Layers, linetypes and text styles that entities and layers name exist."""
        for rec in self.records:
            if rec.section not in ("ENTITIES", "BLOCKS") and rec.type != "LAYER":
                continue
            for code, table, users in NAME_REFERENCES:
                t = rec.first(code)
                if t is None or table not in self.tables or (users and rec.type not in users) \
                        or (code == 8 and rec.type == "LAYER"):
                    continue
                if self.entry(table, t.value) is None:
                    self.fault(t.vline, f"{rec.type} names {table} {t.value!r}, which the "
                                        f"{table} table lacks")

    def _check_objects(self):
        if not self.modern() or "OBJECTS" not in self.sections:
            return
        if not self.objects or self.objects[0].type != "DICTIONARY":
            return self.fault(self.sections["OBJECTS"].line,
                              "OBJECTS section does not start with the root DICTIONARY")
        root = self.objects[0]
        entries = _dictionary(root)
        if "ACAD_GROUP" not in entries:
            self.fault(root.line, "root DICTIONARY without its ACAD_GROUP entry")
        for name in ("ACAD_GROUP", "ACAD_LAYOUT"):
            t = entries.get(name)
            target = self.handles.get(int(t.value, 16)) if t and HANDLE_RE.match(t.value) \
                else None
            if target and target.type != "DICTIONARY":
                self.fault(t.vline, f"root dictionary entry {name} is a {target.type}, "
                                    "not a DICTIONARY")


def _owner_tag(data):
    """The owner: the first 330 outside 102 groups, before the subclass markers."""
    depth = 0
    for t in data:
        if t.code == 102:
            depth = 1 if t.value.startswith("{") else 0
        elif t.code == 100:
            return None
        elif t.code == 330 and depth == 0:
            return t
    return None


def _dictionary(rec):
    """Entry name -> pointer tag of a DICTIONARY."""
    entries, name = {}, None
    for t in rec.own_data():
        if t.code == 3:
            name = t.value
        elif t.code in (350, 360) and name is not None:
            entries[name], name = t, None
    return entries


def check_file(path):
    """Faults of one file as printable lines; raises OSError when it cannot be read."""
    with open(path, "rb") as f:
        data = f.read()
    faults = sorted(Checker(data).run(), key=lambda f: f[0])
    return [f"{path}:{line}: {message}" for line, message in faults]


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
