"""What the strict DXF checker holds a drawing to: group-code value types, section
and table order, required entries, subclass markers and codes per record kind, and
the tag and record shapes the checker reads a file into.
"""

import codecs
import re
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


def codepage_codec(codepage):
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
