#!/usr/bin/python3
"""Tests of dxf_check.py: a clean R2010 drawing built inline, the same drawing broken in
each way the checker or ezdxf looks for (one table), and drawings ezdxf writes. (The drawings fancad
writes meet the checker in every end-to-end test.)"""
import io
import os
import subprocess
import sys
import tempfile
import unittest

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dxf_check  # noqa: E402

CHECKER = os.path.join(HERE, "dxf_check.py")


# A clean R2010 drawing that ezdxf writes with the entities the host writes, held tag by
# tag so that a test can break exactly one thing.
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

    def fresh_handle(self):
        """A handle no object has: $HANDSEED, which moves on by one."""
        i = self.index(9, "$HANDSEED") + 1
        handle = self.tags[i][1]
        self.tags[i][1] = f"{int(handle, 16) + 1:X}"
        return handle

    @staticmethod
    def line(i):
        return 2 * i + 1


def pt(code, x, y):
    return [(code, f"{x:.1f}"), (code + 10, f"{y:.1f}"), (code + 20, "0.0")]


def _write():
    doc = ezdxf.new("R2010")
    doc.appids.new("ZRFAN")
    fan = doc.blocks.new("FAN")
    fan.add_line((0, 0), (10, 0))
    fan.add_attdef("MODEL", (0, 0))
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 50)).set_xdata(
        "ZRFAN", [(1000, "4-72No4.5A"), (1002, "{"), (1070, 2), (1002, "}")])
    msp.add_circle((20, 20), 7.5)
    msp.add_polyline2d([(0, 1), (5, 1)])
    msp.add_text("离心式风机")
    msp.add_blockref("FAN", (200, 100)).add_attrib("MODEL", "4-72", (200, 100))
    msp.add_point((1, 1))
    out = io.StringIO()
    doc.write(out)
    lines = out.getvalue().split("\n")
    return [(int(lines[i]), lines[i + 1]) for i in range(0, len(lines) - 1, 2)]


_TAGS = _write()


def minimal():
    """The model space holds, in this order, a LINE with xdata, a CIRCLE, a POLYLINE with
    two VERTEXes and its SEQEND, a TEXT, an INSERT of block FAN with an ATTRIB and its
    SEQEND, and a POINT; FAN's block holds a LINE and an ATTDEF."""
    return Dxf(_TAGS)


# Each edit breaks the minimal drawing in one way and returns the line of the fault; the
# finders give the index of a tag.
def tag(kind, code, nth=0):
    return lambda d: d.in_record(kind, code, nth=nth)


def record(kind, nth=0):
    return lambda d: d.record(kind, nth)


def header(name):
    return lambda d: d.index(9, name) + 1


def set_at(find, value, line=None):
    """Sets the value of a tag; the fault is on that value's line, or on line(d)."""
    def edit(d):
        i = find(d)
        d.tags[i][1] = value
        return line(d) if line else Dxf.line(i) + 1
    return edit


def set_value(kind, code, value, nth=0):
    return set_at(tag(kind, code, nth), value)


def on_line_1(edit):
    """The edit, its finding given by ezdxf (on line 1)."""
    return lambda d: (edit(d), 1)[1]


def cut(first, last, line):
    """Drops the tags from first(d) to last(d); the fault is on line(d) after that."""
    def edit(d):
        del d.tags[first(d):last(d) + 1]
        return line(d)
    return edit


def put(find, *tags, line=1):
    """Puts the tags before a tag; the fault is on the line-th line of them."""
    def edit(d):
        i = find(d)
        d.tags[i:i] = [list(t) for t in tags]
        return Dxf.line(i) + line - 1
    return edit


def head_of(table):
    return lambda d: Dxf.line(d.index(2, table) - 1)


def line_of(kind, nth=0):
    return lambda d: Dxf.line(d.record(kind, nth))


def vertex_alone(d):
    v, at = d.record("VERTEX"), d.record("POINT")
    d.tags[at:at] = [list(t) for t in d.tags[v:d.end_of(v)]]
    d.tags[at + 1][1] = d.fresh_handle()
    return Dxf.line(at)


def dimstyle_handle_in_5(d):
    d.tags[d.in_record("DIMSTYLE", 105)][0] = 5
    return Dxf.line(d.record("DIMSTYLE"))


def lower_handseed(d):
    i = d.index(9, "$HANDSEED") + 1
    d.tags[i][1] = f"{int(d.tags[i][1], 16) - 1:X}"
    return Dxf.line(i) + 1


def self_insert(d):
    """FAN's block gets an INSERT of FAN."""
    owner = d.tags[d.in_record("ENDBLK", 330, nth=2)][1]
    put(record("ENDBLK", 2), (0, "INSERT"), (5, d.fresh_handle()), (330, owner),
        (100, "AcDbEntity"), (8, "0"), (100, "AcDbBlockReference"), (2, "FAN"), *pt(10, 0, 0))(d)
    return 1


LAST = lambda d: len(d.tags) - 1  # noqa: E731  the 0/EOF tag

# (what is broken, edit, words of the finding on the line the edit returns, the only one)
BROKEN = [
    ("an infinite radius", set_value("CIRCLE", 40, "1e999"), "'1e999' is not a finite number", 1),
    ("a radius with a comma", set_value("CIRCLE", 40, "1,5"), "'1,5' is not a finite number", 1),
    ("an infinite xdata real", put(tag("LINE", 1070, 1), (1040, "-inf"), line=2),
     "group code 1040: '-inf' is not a finite", 1),
    ("a group code line of letters", put(record("POINT"), ("1O", "x")),
     "group code line is not an integer: ' 1O'", 0),
    ("data after 0/EOF", lambda d: (d.tags.append([0, "LINE"]), Dxf.line(LAST(d)))[1],
     "data after 0/EOF", 1),
    ("a release no reader knows", set_at(header("$ACADVER"), "AC1006"),
     "is not a release from R12 to R2018", 0),
    ("no OBJECTS section", cut(lambda d: d.index(2, "OBJECTS") - 1, lambda d: LAST(d) - 1,
                               lambda d: Dxf.line(LAST(d))), "OBJECTS section missing", 0),
    ("no $HANDSEED", cut(lambda d: d.index(9, "$HANDSEED"), header("$HANDSEED"),
                         lambda d: 1), "header variable $HANDSEED missing", 1),
    *[(f"no {t} table", cut(lambda d, t=t: d.index(2, t) - 1,
                            lambda d, t=t: d.index(0, "ENDTAB", d.index(2, t)),
                            head_of("TABLES")), f"{t} table missing", 0)
      for t in dxf_check.TABLE_NAMES],
    *[(f"no {t} {n!r}", set_at(lambda d, t=t, n=n: d.index(2, n, d.index(2, t)), "Other",
                               line=head_of(t)),
       f"{t} table without its {n!r} entry", 0)
      for t, names in dxf_check.REQUIRED_ENTRIES.items() for n in names],
    ("a handle used twice", lambda d: set_value("CIRCLE", 5, d.tags[tag("LINE", 5)(d)][1])(d),
     "is used twice (first at line", 0),
    ("a record without handle", cut(tag("POINT", 5), tag("POINT", 5), line_of("POINT")),
     "POINT without a handle (5)", 1),
    ("a DIMSTYLE handle in 5", dimstyle_handle_in_5, "DIMSTYLE without a handle (105)", 0),
    ("$HANDSEED not above every handle", lower_handseed, "is not above the largest handle", 1),
    ("a pointer to no object", set_value("LAYER", 390, "ABCD"),
     "LAYER group code 390 points at handle ABCD", 1),
    ("a reactor to no object", put(tag("CIRCLE", 330), (102, "{ACAD_REACTORS"), (330, "FFF0"),
                                   (102, "}"), line=4), "points at handle FFF0", 1),
    ("a record without owner", cut(tag("POINT", 330), tag("POINT", 330), line_of("POINT")),
     "POINT without its owner (330)", 1),
    ("xdata of an unregistered application", set_value("LINE", 1001, "OTHER", nth=1),
     "xdata application 'OTHER' is not in the APPID table", 1),
    ("an xdata string of 256 bytes", set_value("LINE", 1000, "风" * 85 + "x", nth=1),
     "xdata string of 256 bytes (at most 255)", 1),
    ("an ATTRIB after an INSERT without 66",
     set_at(tag("INSERT", 66), "0", line=line_of("ATTRIB")),
     "ATTRIB outside a POLYLINE or an INSERT", 0),
    ("a VERTEX after a POINT", vertex_alone, "VERTEX outside a POLYLINE or an INSERT", 1),
    # What the line checks leave to ezdxf's reader and audit: faults on line 1.
    ("a file cut before 0/EOF", on_line_1(cut(LAST, LAST, LAST)),
     "ezdxf cannot read it: DXFStructureError: missing EOF tag", 1),
    ("a handle that is not hexadecimal", on_line_1(set_value("POINT", 5, "G1")),
     "ezdxf cannot read it: Invalid handle G1", 1),
    ("vertices without SEQEND", on_line_1(cut(record("SEQEND"), lambda d: d.end_of(
        d.record("SEQEND")) - 1, LAST)), "ezdxf cannot read it: Expected DXF entity TEXT", 1),
    ("an INSERT of a block no one defined", on_line_1(set_value("INSERT", 2, "PUMP")),
     "ezdxf audit: Deleted entity INSERT", 1),
    ("a block that inserts itself", self_insert, "ezdxf audit: Invalid block reference cycle", 0),
    ("a text style no one defined", on_line_1(put(tag("TEXT", 1), (7, "Missing"))),
     "ezdxf audit: Removed undefined text style", 1),
]


def checked_file(d, tmp, name="d.dxf"):
    path = os.path.join(tmp, name)
    with open(path, "wb") as f:
        f.write(d.render())
    return path


class Checker(unittest.TestCase):
    def test_each_broken_drawing_gives_its_finding_on_its_line(self):
        with tempfile.TemporaryDirectory() as tmp:
            for what, edit, words, alone in BROKEN:
                with self.subTest(what):
                    d = minimal()
                    line = edit(d)
                    path = checked_file(d, tmp)
                    found = dxf_check.check_file(path)
                    self.assertTrue([f for f in found if f.startswith(f"{path}:{line}: ") and
                                     words in f], f"no {words!r} on line {line}: {found}")
                    if alone:
                        self.assertEqual(len(found), 1, found)
                    if words.startswith("ezdxf"):  # and the line checks pass it
                        self.assertTrue(all(": ezdxf " in f for f in found), found)

    def test_a_clean_drawing_the_exit_status_fault_lines_and_usage(self):
        """Clean: the minimal drawing with CRLF, or with a comment, blanks around a number,
        names in another case and an xdata string of 255 bytes."""
        self.assertEqual(dxf_check.Checker(minimal().render(newline="\r\n")).run(), [])
        d = minimal()
        d.tags[d.record("LINE"):d.record("LINE")] = [[999, "a comment"]]
        d.tags[d.in_record("CIRCLE", 40)][1] = " 7.5 "
        d.tags[d.in_record("LINE", 1001, nth=1)][1] = "zrfan"
        d.tags[d.in_record("LINE", 1000, nth=1)][1] = "风" * 85
        d.tags[d.index(2, "Continuous")][1] = "CONTINUOUS"
        run = lambda *paths: subprocess.run(["/usr/bin/python3", CHECKER, *paths],
                                            capture_output=True, text=True, timeout=60)
        with tempfile.TemporaryDirectory() as tmp:
            good = checked_file(d, tmp, "good.dxf")
            d = minimal()
            line = set_value("CIRCLE", 40, "nan")(d)
            bad = checked_file(d, tmp, "bad.dxf")
            r = run(good)
            self.assertEqual((r.returncode, r.stdout), (0, ""))
            r = run(good, bad)
            self.assertEqual((r.returncode, r.stdout),
                             (1, f"{bad}:{line}: group code 40: 'nan' is not a finite number\n"))
            r = run(bad, os.path.join(tmp, "missing.dxf"))
            self.assertEqual(r.returncode, 2)
            self.assertIn("missing.dxf: cannot read", r.stderr)
        r = run()
        self.assertEqual(r.returncode, 2)
        self.assertIn("usage: dxf_check.py FILE...", r.stderr)

    def test_drawings_ezdxf_writes_of_every_release_are_clean(self):
        """Entities of many kinds, with xdata and attributes, from an independent writer."""
        with tempfile.TemporaryDirectory() as tmp:
            for version in ("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"):
                with self.subTest(version=version):
                    doc = ezdxf.new(version, setup=True)
                    doc.appids.new("ZRFAN")
                    msp = doc.modelspace()
                    line = msp.add_line((0, 0), (1, 1), dxfattribs={"linetype": "DASHED"})
                    line.set_xdata("ZRFAN", [(1000, "风机"), (1002, "{"), (1070, 3), (1002, "}"),
                                             (1010, (1, 2, 3)), (1040, 1.5), (1071, 7)])
                    msp.add_polyline2d([(0, 0), (1, 0), (2, 2)])
                    msp.add_text("Gebläse", dxfattribs={"style": "OpenSans"})
                    doc.blocks.new("BLK").add_attdef("TAG", (0, 0))
                    msp.add_blockref("BLK", (5, 5)).add_attrib("TAG", "value", (5, 5))
                    if version != "R12":
                        msp.add_lwpolyline([(0, 0), (1, 0), (1, 1)])
                        msp.add_hatch(color=2).paths.add_polyline_path([(0, 0), (1, 0), (1, 1)])
                        msp.add_polyface().append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
                        doc.layouts.new("Layout2").add_line((0, 0), (2, 2))
                        doc.groups.new("G1").extend([line])
                    path = os.path.join(tmp, f"{version}.dxf")
                    doc.saveas(path)
                    self.assertEqual(dxf_check.check_file(path), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
