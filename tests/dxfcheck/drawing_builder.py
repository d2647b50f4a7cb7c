"""Drawings for the checker's tests: a clean R2010 drawing with one entity of each kind
the host writes, built tag by tag so that a test can break exactly one thing in it."""
import dxf_check


class Dxf:
    """A drawing as a list of [code, value] tags; tag i has its code on line 2i + 1."""

    def __init__(self, tags):
        self.tags = [list(t) for t in tags]

    def render(self, encoding="utf-8", newline="\n"):
        text = newline.join(f"{c:>3}{newline}{v}" for c, v in self.tags) + newline
        return text.encode(encoding)

    def index(self, code, value=None, after=0):
        """Index of the first tag with this code (and value) at or after `after`."""
        for i in range(after, len(self.tags)):
            c, v = self.tags[i]
            if c == code and (value is None or v == value):
                return i
        raise KeyError((code, value))

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
        assert i < self.index(0, None, start + 1), (kind, code)
        return i

    def end_of(self, start):
        return self.index(0, None, start + 1)

    @staticmethod
    def line(i):
        return 2 * i + 1

    def drop(self, i, n=1):
        del self.tags[i:i + n]

    def put(self, i, *tags):
        self.tags[i:i] = [list(t) for t in tags]

    def set(self, i, value):
        self.tags[i][1] = value


class Builder:
    """Writes the smallest drawing an AutoCAD-class reader takes, with one entity of each
    kind the host writes, so that each test can break one thing in it."""

    def __init__(self):
        self.tags = []
        self.next = 0x20

    def handle(self):
        h = f"{self.next:X}"
        self.next += 1
        return h

    def add(self, *tags):
        self.tags.extend(tags)

    def table(self, name, records):
        """records: list of (name, extra tags); returns the record handles by name."""
        head = self.handle()
        self.add((0, "TABLE"), (2, name), (5, head), (330, "0"), (100, "AcDbSymbolTable"),
                 (70, str(len(records))))
        if name == "DIMSTYLE":
            self.add((100, "AcDbDimStyleTable"))
        handles = {}
        for rec_name, extra in records:
            h = handles[rec_name] = self.handle()
            self.add((0, name), (105 if name == "DIMSTYLE" else 5, h), (330, head),
                     (100, "AcDbSymbolTableRecord"),
                     (100, dxf_check.RECORD_SUBCLASSES[name]), (2, rec_name), (70, "0"))
            self.add(*extra)
        self.add((0, "ENDTAB"))
        return handles

    def entity(self, kind, owner, subclasses, *data, layer="0"):
        h = self.handle()
        self.add((0, kind), (5, h), (330, owner), (100, "AcDbEntity"), (8, layer))
        for k, marker in enumerate(subclasses):
            self.add((100, marker), *(data[k] if k < len(data) else []))
        return h

    def build(self):
        tables = self.tables_section()
        blocks = self.blocks_section()
        entities = self.entities_section()
        objects = self.objects_section()
        body = tables + blocks + entities + objects
        header = [(0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1024"),
                  (9, "$DWGCODEPAGE"), (3, "ANSI_1252"), (9, "$INSBASE"), (10, "0.0"),
                  (20, "0.0"), (30, "0.0"), (9, "$CLAYER"), (8, "0"), (9, "$TEXTSTYLE"),
                  (7, "Standard"), (9, "$CELTYPE"), (6, "ByLayer"), (9, "$DIMSTYLE"),
                  (2, "Standard"), (9, "$HANDSEED"), (5, f"{self.next:X}"), (0, "ENDSEC"),
                  (0, "SECTION"), (2, "CLASSES"), (0, "ENDSEC")]
        return Dxf(header + body + [(0, "EOF")])

    def tables_section(self):
        self.tags = [(0, "SECTION"), (2, "TABLES")]
        self.table("VPORT", [("*Active", [(10, "0.0"), (20, "0.0"), (11, "1.0"), (21, "1.0")])])
        lt = [(3, ""), (72, "65"), (73, "0"), (40, "0.0")]
        self.table("LTYPE", [("ByBlock", lt), ("ByLayer", lt), ("Continuous", lt)])
        self.table("LAYER", [("0", [(62, "7"), (6, "Continuous"), (390, "0")])])
        self.table("STYLE", [("Standard", [(40, "0.0"), (41, "1.0"), (50, "0.0"), (71, "0"),
                                           (42, "2.5"), (3, "txt")])])
        self.table("VIEW", [])
        self.table("UCS", [])
        self.table("APPID", [("ACAD", []), ("ZRFAN", [])])
        self.table("DIMSTYLE", [("Standard", [])])
        self.records = self.table("BLOCK_RECORD", [("*Model_Space", []),
                                                   ("*Paper_Space", []), ("FAN", [])])
        self.add((0, "ENDSEC"))
        return self.tags

    def block(self, name, content):
        owner = self.records[name]
        self.entity("BLOCK", owner, ["AcDbBlockBegin"],
                    [(2, name), (70, "2" if name == "FAN" else "0"), (10, "0.0"), (20, "0.0"),
                     (30, "0.0"), (3, name), (1, "")])
        content(owner)
        self.entity("ENDBLK", owner, ["AcDbBlockEnd"])

    def blocks_section(self):
        self.tags = [(0, "SECTION"), (2, "BLOCKS")]
        self.block("*Model_Space", lambda owner: None)
        self.block("*Paper_Space", lambda owner: None)

        def fan(owner):
            self.entity("LINE", owner, ["AcDbLine"], pt(10, 0, 0) + pt(11, 10, 0))
            self.entity("ATTDEF", owner, ["AcDbText", "AcDbAttributeDefinition"],
                        pt(10, 0, 0) + [(40, "2.5"), (1, "")],
                        [(3, "Model"), (2, "MODEL"), (70, "0")])
        self.block("FAN", fan)
        self.add((0, "ENDSEC"))
        return self.tags

    def entities_section(self):
        self.tags = [(0, "SECTION"), (2, "ENTITIES")]
        ms = self.records["*Model_Space"]
        self.entity("LINE", ms, ["AcDbLine"], pt(10, 0, 0) + pt(11, 100, 50) + [
            (1001, "ZRFAN"), (1002, "{"), (1000, "4-72No4.5A"), (1070, "2"), (1002, "}")])
        self.entity("CIRCLE", ms, ["AcDbCircle"], pt(10, 20, 20) + [(40, "7.5")])
        self.entity("ARC", ms, ["AcDbCircle", "AcDbArc"], pt(10, 40, 0) + [(40, "5.0")],
                    [(50, "45.0"), (51, "270.0")])
        self.entity("LWPOLYLINE", ms, ["AcDbPolyline"],
                    [(90, "3"), (70, "0"), (10, "0.0"), (20, "0.0"), (10, "10.0"), (20, "0.0"),
                     (10, "10.0"), (20, "10.0")])
        pl = self.entity("POLYLINE", ms, ["AcDb2dPolyline"], [(66, "1")] + pt(10, 0, 0))
        for x in (0, 5):
            self.entity("VERTEX", pl, ["AcDbVertex", "AcDb2dVertex"], [], pt(10, x, 1))
        self.entity("SEQEND", pl, [])
        self.entity("TEXT", ms, ["AcDbText", "AcDbText"],
                    pt(10, 5, 60) + [(40, "3.5"), (1, "离心式风机"), (7, "Standard")], [])
        self.entity("MTEXT", ms, ["AcDbMText"], pt(10, 50, 50) + [(40, "2.0"), (1, "a\\Pb")])
        ref = self.entity("INSERT", ms, ["AcDbBlockReference"],
                          [(66, "1"), (2, "FAN")] + pt(10, 200, 100))
        self.entity("ATTRIB", ref, ["AcDbText", "AcDbAttribute"],
                    pt(10, 200, 100) + [(40, "2.5"), (1, "4-72")], [(2, "MODEL"), (70, "0")])
        self.entity("SEQEND", ref, [])
        self.entity("POINT", ms, ["AcDbPoint"], pt(10, 1, 1))
        self.entity("SOLID", ms, ["AcDbTrace"], pt(10, 0, 0) + pt(11, 1, 0) + pt(12, 0, 1))
        self.entity("ELLIPSE", ms, ["AcDbEllipse"],
                    pt(10, 0, 0) + pt(11, 2, 0) + [(40, "0.5"), (41, "0.0"), (42, "6.28")])
        self.entity("SPLINE", ms, ["AcDbSpline"],
                    [(70, "8"), (71, "1"), (72, "4"), (73, "2"), (74, "0"), (40, "0.0"),
                     (40, "0.0"), (40, "1.0"), (40, "1.0")] + pt(10, 0, 0) + pt(10, 1, 1))
        self.entity("HATCH", ms, ["AcDbHatch"],
                    pt(10, 0, 0) + [(2, "SOLID"), (70, "1"), (71, "0"), (91, "0"),
                                     (75, "0"), (76, "1"), (98, "0")])
        self.add((0, "ENDSEC"))
        return self.tags

    def objects_section(self):
        root, group = self.handle(), self.handle()
        return [(0, "SECTION"), (2, "OBJECTS"),
                (0, "DICTIONARY"), (5, root), (330, "0"), (100, "AcDbDictionary"),
                (281, "1"), (3, "ACAD_GROUP"), (350, group),
                (0, "DICTIONARY"), (5, group), (330, root), (100, "AcDbDictionary"),
                (281, "1"), (0, "ENDSEC")]


def pt(code, x, y):
    return [(code, f"{x:.1f}"), (code + 10, f"{y:.1f}"), (code + 20, "0.0")]


def minimal():
    return Builder().build()
