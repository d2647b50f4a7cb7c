"""Drawings for the checker's tests: a clean R2010 drawing with the entities the host
writes, built tag by tag so that a test can break exactly one thing in it."""

SUBCLASS = {"VPORT": "Viewport", "LTYPE": "Linetype", "LAYER": "Layer", "STYLE": "TextStyle",
            "VIEW": "View", "UCS": "UCS", "APPID": "RegApp", "DIMSTYLE": "DimStyle",
            "BLOCK_RECORD": "BlockTable"}


class Dxf:
    """A drawing as a list of [code, value] tags; tag i has its code on line 2i + 1."""

    def __init__(self, tags):
        self.tags = [list(t) for t in tags]

    def render(self, newline="\n"):
        return (newline.join(f"{c:>3}{newline}{v}" for c, v in self.tags) + newline).encode()

    def index(self, code, value=None, after=0):
        """Index of the first tag with this code (and value) at or after `after`."""
        return next(i for i in range(after, len(self.tags))
                    if self.tags[i][0] == code and value in (None, self.tags[i][1]))

    def record(self, kind, nth=0):
        """Index of the nth 0/kind record."""
        i = -1
        for _ in range(nth + 1):
            i = self.index(0, kind, i + 1)
        return i

    def in_record(self, kind, code, value=None, nth=0):
        """Index of a tag inside the nth kind record."""
        start = self.record(kind, nth)
        i = self.index(code, value, start + 1)
        assert i < self.end_of(start), (kind, code)
        return i

    def end_of(self, start):
        return self.index(0, None, start + 1)

    @staticmethod
    def line(i):
        return 2 * i + 1


def pt(code, x, y):
    return [(code, f"{x:.1f}"), (code + 10, f"{y:.1f}"), (code + 20, "0.0")]


def minimal():
    """The smallest drawing an AutoCAD-class reader takes, with a block FAN inserted with
    an attribute, a polyline with vertices, and a line with xdata."""
    tags, handles = [], iter(range(0x20, 0x1000))

    def handle():
        return f"{next(handles):X}"

    def table(name, entries):
        head = handle()
        tags.extend([(0, "TABLE"), (2, name), (5, head), (330, "0"),
                     (100, "AcDbSymbolTable"), (70, str(len(entries)))])
        if name == "DIMSTYLE":
            tags.append((100, "AcDbDimStyleTable"))
        made = {}
        for entry, extra in entries:
            made[entry] = handle()
            tags.extend([(0, name), (105 if name == "DIMSTYLE" else 5, made[entry]),
                         (330, head), (100, "AcDbSymbolTableRecord"),
                         (100, f"AcDb{SUBCLASS[name]}TableRecord"), (2, entry), (70, "0"),
                         *extra])
        tags.append((0, "ENDTAB"))
        return made

    def entity(kind, owner, *data, marker=None):
        h = handle()
        tags.extend([(0, kind), (5, h), (330, owner), (100, "AcDbEntity"), (8, "0"),
                     *([(100, marker)] if marker else []), *data])
        return h

    tags.extend([(0, "SECTION"), (2, "TABLES")])
    table("VPORT", [("*Active", [(10, "0.0"), (20, "0.0"), (11, "1.0"), (21, "1.0")])])
    lt = [(3, ""), (72, "65"), (73, "0"), (40, "0.0")]
    table("LTYPE", [("ByBlock", lt), ("ByLayer", lt), ("Continuous", lt)])
    table("LAYER", [("0", [(62, "7"), (6, "Continuous"), (390, "0")])])
    table("STYLE", [("Standard", [(40, "0.0"), (41, "1.0"), (50, "0.0"), (71, "0"),
                                  (42, "2.5"), (3, "txt")])])
    table("VIEW", [])
    table("UCS", [])
    table("APPID", [("ACAD", []), ("ZRFAN", [])])
    table("DIMSTYLE", [("Standard", [])])
    records = table("BLOCK_RECORD", [("*Model_Space", []), ("*Paper_Space", []), ("FAN", [])])
    tags.extend([(0, "ENDSEC"), (0, "SECTION"), (2, "BLOCKS")])
    for name, owner in records.items():
        entity("BLOCK", owner, (2, name), (70, "2" if name == "FAN" else "0"), *pt(10, 0, 0),
               (3, name), (1, ""), marker="AcDbBlockBegin")
        if name == "FAN":
            entity("LINE", owner, *pt(10, 0, 0), *pt(11, 10, 0), marker="AcDbLine")
            entity("ATTDEF", owner, *pt(10, 0, 0), (40, "2.5"), (1, ""),
                   (100, "AcDbAttributeDefinition"), (3, "Model"), (2, "MODEL"), (70, "0"),
                   marker="AcDbText")
        entity("ENDBLK", owner, marker="AcDbBlockEnd")
    tags.extend([(0, "ENDSEC"), (0, "SECTION"), (2, "ENTITIES")])
    ms = records["*Model_Space"]
    entity("LINE", ms, *pt(10, 0, 0), *pt(11, 100, 50), (1001, "ZRFAN"), (1002, "{"),
           (1000, "4-72No4.5A"), (1070, "2"), (1002, "}"), marker="AcDbLine")
    entity("CIRCLE", ms, *pt(10, 20, 20), (40, "7.5"), marker="AcDbCircle")
    pl = entity("POLYLINE", ms, (66, "1"), *pt(10, 0, 0), marker="AcDb2dPolyline")
    for x in (0, 5):
        entity("VERTEX", pl, (100, "AcDbVertex"), (100, "AcDb2dVertex"), *pt(10, x, 1))
    entity("SEQEND", pl)
    entity("TEXT", ms, *pt(10, 5, 60), (40, "3.5"), (1, "离心式风机"), (7, "Standard"),
           (100, "AcDbText"), marker="AcDbText")
    ref = entity("INSERT", ms, (66, "1"), (2, "FAN"), *pt(10, 200, 100),
                 marker="AcDbBlockReference")
    entity("ATTRIB", ref, *pt(10, 200, 100), (40, "2.5"), (1, "4-72"),
           (100, "AcDbAttribute"), (2, "MODEL"), (70, "0"), marker="AcDbText")
    entity("SEQEND", ref)
    entity("POINT", ms, *pt(10, 1, 1), marker="AcDbPoint")
    root, group = handle(), handle()
    tags.extend([(0, "ENDSEC"), (0, "SECTION"), (2, "OBJECTS"),
                 (0, "DICTIONARY"), (5, root), (330, "0"), (100, "AcDbDictionary"),
                 (281, "1"), (3, "ACAD_GROUP"), (350, group),
                 (0, "DICTIONARY"), (5, group), (330, root), (100, "AcDbDictionary"),
                 (281, "1"), (0, "ENDSEC")])
    header = [(0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1024"),
              (9, "$DWGCODEPAGE"), (3, "ANSI_1252"), (9, "$INSBASE"), *pt(10, 0, 0),
              (9, "$HANDSEED"), (5, handle()), (0, "ENDSEC"),
              (0, "SECTION"), (2, "CLASSES"), (0, "ENDSEC")]
    return Dxf(header + tags + [(0, "EOF")])
