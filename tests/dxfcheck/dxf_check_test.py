#!/usr/bin/python3
"""Tests of dxf_check.py: a clean R2010 drawing built inline, the same drawing broken
in each way the checker looks for, drawings ezdxf writes, and one fancad writes.

Usage: dxf_check_test.py [--fancad BIN --workdir DIR] [unittest options]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import dxf_check  # noqa: E402
from drawing_builder import Dxf, minimal, pt  # noqa: E402

CHECKER = os.path.join(HERE, "dxf_check.py")
ARGS = None


def faults(dxf, **render):
    return dxf_check.Checker(dxf.render(**render)).run()


class CheckerCase(unittest.TestCase):
    def assertClean(self, dxf, **render):
        self.assertEqual(faults(dxf, **render), [])

    def assertFault(self, dxf, line, words, only=True, **render):
        """The checker reports a fault on `line` whose message holds `words`."""
        found = faults(dxf, **render)
        hits = [f for f in found if f[0] == line and words in f[1]]
        self.assertTrue(hits, f"no fault with {words!r} on line {line}; found {found}")
        if only:
            self.assertEqual(len(found), 1, found)


class CleanDrawings(CheckerCase):
    def test_the_minimal_drawing_is_clean_with_either_line_ending(self):
        self.assertClean(minimal())
        self.assertClean(minimal(), newline="\r\n")

    def test_right_justified_codes_padded_numbers_and_comments_are_taken(self):
        d = minimal()
        d.put(d.record("LINE"), (999, "a comment"))
        d.set(d.in_record("CIRCLE", 40), " 7.5 ")
        self.assertClean(d)

    def test_null_pointers_and_optional_groups_are_allowed(self):
        d = minimal()
        d.set(d.in_record("LAYER", 390), "0")
        d.put(d.in_record("LINE", 10), (39, "0.0"))
        self.assertClean(d)


class Tags(CheckerCase):
    def test_a_group_code_line_must_be_an_integer(self):
        for bad in ("1O", "", "1.0", "x"):
            with self.subTest(code=bad):
                data = minimal().render().replace(b"\n 40\n7.5\n", f"\n{bad}\n7.5\n".encode())
                line = data[:data.index(f"\n{bad}\n7.5".encode())].count(b"\n") + 2
                found = dxf_check.Checker(data).run()
                self.assertEqual(found[0][0], line)
                self.assertIn("group code line is not an integer", found[0][1])

    def test_unknown_group_codes(self):
        d = minimal()
        i = d.in_record("CIRCLE", 40)
        for code in (85, 2000, 482):
            with self.subTest(code=code):
                d.tags[i][0] = code
                self.assertFault(d, Dxf.line(i), f"group code {code} is not a DXF group code",
                                 only=False)

    def test_a_code_without_value_line_and_a_missing_eof(self):
        data = minimal().render()
        cut = data[:data.rindex(b"\n  0\nEOF\n") + 1]
        found = dxf_check.Checker(cut + b"  0\n").run()
        self.assertEqual(found[0], (cut.count(b"\n") + 1, "group code 0 has no value line"))
        found = dxf_check.Checker(cut).run()
        self.assertEqual(found, [(cut.count(b"\n"), "file does not end with 0/EOF")])

    def test_only_blank_lines_may_follow_eof(self):
        data = minimal().render()
        n = data.count(b"\n")
        self.assertEqual(dxf_check.Checker(data + b"\n  \n").run(), [])
        self.assertEqual(dxf_check.Checker(data + b"\n  0\nLINE\n").run(),
                         [(n + 2, "data after 0/EOF")])

    def test_a_binary_dxf_is_refused(self):
        found = dxf_check.Checker(b"AutoCAD Binary DXF\r\n\x1a\x00").run()
        self.assertEqual(found, [(1, "binary DXF: only ASCII DXF is checked")])


class Values(CheckerCase):
    def test_floats_must_be_finite_numbers(self):
        for bad, words in (("nan", "not a number"), ("inf", "not a number"),
                           ("1e999", "not a finite number"), ("1,5", "not a number"),
                           ("", "not a number"), ("1_0", "not a number")):
            with self.subTest(value=bad):
                d = minimal()
                i = d.in_record("CIRCLE", 40)
                d.set(i, bad)
                self.assertFault(d, Dxf.line(i) + 1, words)

    def test_xdata_reals_and_points_are_numbers_too(self):
        d = minimal()
        i = d.in_record("LINE", 1070, nth=1)
        d.put(i, (1040, "-inf"))
        self.assertFault(d, Dxf.line(i) + 1, "group code 1040")

    def test_integers_parse_and_fit_their_type(self):
        cases = [(70, "40000", "out of range for a 16-bit integer"),
                 (70, "-32769", "out of range for a 16-bit integer"),
                 (70, "1.0", "is not an integer"),
                 (90, "2147483648", "out of range for a 32-bit integer"),
                 (1070, "99999", "out of range for a 16-bit integer")]
        for code, bad, words in cases:
            with self.subTest(code=code, value=bad):
                d = minimal()
                kind, nth = ("LWPOLYLINE", 0) if code != 1070 else ("LINE", 1)
                i = d.in_record(kind, code, nth=nth)
                d.set(i, bad)
                self.assertFault(d, Dxf.line(i) + 1, words, only=False)

    def test_the_edges_of_integer_ranges_are_fine(self):
        d = minimal()
        d.set(d.in_record("LINE", 1070, nth=1), "-32768")
        d.set(d.in_record("LAYER", 62), "32767")
        self.assertClean(d)

    def test_booleans_binary_chunks_and_control_characters(self):
        d = minimal()
        i = d.in_record("CIRCLE", 40)
        d.put(i + 1, (290, "2"))
        self.assertFault(d, Dxf.line(i + 1) + 1, "not a boolean")
        d = minimal()
        i = d.in_record("LINE", 1070, nth=1)
        d.put(i, (1004, "ABC"))
        self.assertFault(d, Dxf.line(i) + 1, "binary data is not pairs of hex digits")
        d = minimal()
        i = d.in_record("TEXT", 1)
        d.set(i, "a\tb")
        self.assertFault(d, Dxf.line(i) + 1, "control character")

    def test_points_keep_their_coordinates_together(self):
        d = minimal()
        i = d.in_record("CIRCLE", 20)
        d.drop(i)
        self.assertFault(d, Dxf.line(i - 1), "point 10 without its y coordinate 20",
                         only=False)
        self.assertFault(d, Dxf.line(i), "group code 30 without the coordinate 20",
                         only=False)


class Structure(CheckerCase):
    def test_a_section_left_open(self):
        d = minimal()
        i = d.index(0, "ENDSEC", d.index(2, "ENTITIES"))
        d.drop(i)
        self.assertFault(d, Dxf.line(i), "SECTION inside section ENTITIES (ENDSEC missing)")
        d.drop(d.index(0, "ENDSEC", i), 1)
        self.assertFault(d, Dxf.line(len(d.tags) - 1), "0/EOF inside section OBJECTS",
                         only=False)

    def test_section_names_and_their_order(self):
        d = minimal()
        i = d.index(2, "CLASSES")
        d.set(i, "CLASS_ES")
        self.assertFault(d, Dxf.line(i) + 1, "unknown section CLASS_ES", only=False)
        self.assertFault(d, Dxf.line(len(d.tags) - 1), "CLASSES section missing", only=False)
        d = minimal()
        start, end = d.index(2, "ENTITIES") - 1, d.index(2, "OBJECTS") - 1
        moved = d.tags[start:end]
        d.drop(start, end - start)
        blocks = d.index(2, "BLOCKS") - 1
        d.put(blocks, *moved)
        self.assertFault(d, Dxf.line(blocks + len(moved)), "section BLOCKS after section ENTITIES",
                         only=False)

    def test_tables_are_closed_and_hold_their_own_records(self):
        d = minimal()
        head = d.index(2, "LTYPE") - 1
        d.drop(d.index(0, "ENDTAB", head))
        self.assertFault(d, Dxf.line(d.record("TABLE", 2)),
                         "TABLE inside TABLE LTYPE (ENDTAB missing)", only=False)
        d = minimal()
        layer = d.record("LAYER")
        rec = d.tags[layer:d.end_of(layer)]
        at = d.record("LTYPE")
        d.put(at, *rec)
        self.assertFault(d, Dxf.line(at), "LAYER record in the LTYPE table",
                         only=False)

    def test_blocks_are_closed_and_hold_the_entities(self):
        d = minimal()
        end = d.record("ENDBLK", 2)
        d.drop(end, d.end_of(end) - end)
        fan = d.record("BLOCK", 2)
        self.assertFault(d, Dxf.line(fan), "BLOCK 'FAN' not closed by ENDBLK", only=False)
        d = minimal()
        line = d.record("LINE")
        d.put(d.record("BLOCK"), *d.tags[line:d.end_of(line)])
        self.assertFault(d, Dxf.line(d.record("LINE")), "LINE in BLOCKS outside any BLOCK",
                         only=False)
        d = minimal()
        i = d.record("ENDBLK")
        d.put(i, *d.tags[i:d.end_of(i)])
        self.assertFault(d, Dxf.line(d.record("ENDBLK", 1)), "ENDBLK without BLOCK",
                         only=False)
        d = minimal()
        fan = d.record("BLOCK", 2)
        block = d.tags[fan:d.end_of(d.record("ENDBLK", 2))]
        d.put(d.record("CIRCLE"), *block)
        self.assertFault(d, Dxf.line(d.record("BLOCK", 3)), "BLOCK in the ENTITIES section",
                         only=False)

    def test_vertices_and_attributes_end_with_seqend(self):
        d = minimal()
        seqend = d.record("SEQEND")
        d.drop(seqend, d.end_of(seqend) - seqend)
        self.assertFault(d, Dxf.line(seqend),
                         f"TEXT where the SEQEND of the POLYLINE at line "
                         f"{Dxf.line(d.record('POLYLINE'))} belongs")
        d = minimal()
        d.set(d.in_record("INSERT", 66), "0")
        attrib = d.record("ATTRIB")
        self.assertFault(d, Dxf.line(attrib),
                         "ATTRIB outside an INSERT with attributes (66 = 1)", only=False)
        self.assertFault(d, Dxf.line(d.record("SEQEND", 1)),
                         "SEQEND outside a POLYLINE or an INSERT", only=False)
        d = minimal()
        vertex = d.record("VERTEX")
        d.put(d.record("POINT"), *d.tags[vertex:d.end_of(vertex)])
        self.assertFault(d, Dxf.line(d.record("VERTEX", 2)), "VERTEX outside a POLYLINE",
                         only=False)

    def test_an_insert_with_attributes_may_have_none_before_seqend(self):
        d = minimal()
        attrib = d.record("ATTRIB")
        d.drop(attrib, d.end_of(attrib) - attrib)
        self.assertClean(d)


class RequiredContent(CheckerCase):
    def test_each_entry_readers_need(self):
        for table, name in [("VPORT", "*Active"), ("LTYPE", "ByBlock"), ("LTYPE", "ByLayer"),
                            ("LTYPE", "Continuous"), ("LAYER", "0"), ("STYLE", "Standard"),
                            ("APPID", "ACAD"), ("BLOCK_RECORD", "*Paper_Space")]:
            with self.subTest(table=table, name=name):
                d = minimal()
                d.set(d.index(2, name, d.index(2, table)), "Other")
                head = d.index(2, table) - 1
                self.assertFault(d, Dxf.line(head), f"{table} table without its {name!r} entry",
                                 only=False)

    def test_each_table_and_section(self):
        for table in dxf_check.TABLE_NAMES:
            with self.subTest(table=table):
                d = minimal()
                head = d.index(2, table) - 1
                d.drop(head, d.index(0, "ENDTAB", head) - head + 1)
                self.assertFault(d, Dxf.line(d.index(2, "TABLES") - 1), f"{table} table missing",
                                 only=False)
        d = minimal()
        start = d.index(2, "OBJECTS") - 1
        d.drop(start, len(d.tags) - 1 - start)
        self.assertFault(d, Dxf.line(len(d.tags) - 1), "OBJECTS section missing")

    def test_names_are_compared_without_case(self):
        d = minimal()
        d.set(d.index(2, "Continuous"), "CONTINUOUS")
        d.set(d.in_record("LAYER", 6), "continuous")
        self.assertClean(d)

    def test_a_name_is_defined_once(self):
        d = minimal()
        layer = d.record("LAYER")
        rec = d.tags[layer:d.end_of(layer)]
        d.put(d.end_of(layer), *rec)
        second = d.record("LAYER", 1)
        d.set(second + 1, "3F0")
        d.set(second + 5, "0")
        self.assertFault(d, Dxf.line(second), f"LAYER '0' is defined twice (first at line "
                                              f"{Dxf.line(layer)})", only=False)

    def test_header_names_and_handseed(self):
        for var in ("$CLAYER", "$TEXTSTYLE", "$CELTYPE", "$DIMSTYLE"):
            with self.subTest(var=var):
                d = minimal()
                i = d.index(9, var) + 1
                d.set(i, "Nowhere")
                self.assertFault(d, Dxf.line(i) + 1, f"{var} names")
        d = minimal()
        i = d.index(9, "$HANDSEED")
        d.drop(i, 2)
        self.assertFault(d, 1, "header variable $HANDSEED missing")

    def test_the_root_dictionary_and_its_group_dictionary(self):
        d = minimal()
        d.set(d.index(3, "ACAD_GROUP"), "ACAD_GROUPS")
        self.assertFault(d, Dxf.line(d.record("DICTIONARY")),
                         "root DICTIONARY without its ACAD_GROUP entry")


class Handles(CheckerCase):
    def test_handles_are_unique_hexadecimal_and_not_zero(self):
        d = minimal()
        circle = d.in_record("CIRCLE", 5)
        d.set(circle, d.tags[d.in_record("LINE", 5)][1])
        self.assertFault(d, Dxf.line(circle) + 1,
                         f"is used twice (first at line {Dxf.line(d.record('LINE'))})",
                         only=False)
        for bad, words in (("G1", "is not hexadecimal"), ("0", "handle is 0")):
            with self.subTest(handle=bad):
                d = minimal()
                i = d.in_record("POINT", 5)
                d.set(i, bad)
                self.assertFault(d, Dxf.line(i) + 1, words)

    def test_every_record_has_its_handle_first(self):
        d = minimal()
        i = d.in_record("POINT", 5)
        d.drop(i)
        self.assertFault(d, Dxf.line(i - 1), "POINT without a handle (5)")
        d = minimal()
        i = d.in_record("POINT", 5)
        d.tags[i], d.tags[i + 1] = d.tags[i + 1], d.tags[i]
        self.assertFault(d, Dxf.line(i + 1), "POINT handle is not the first group")

    def test_a_dimstyle_keeps_its_handle_in_105(self):
        d = minimal()
        i = d.in_record("DIMSTYLE", 105, nth=0)
        d.tags[i][0] = 5
        self.assertFault(d, Dxf.line(i - 1), "DIMSTYLE without a handle (105)", only=False)

    def test_handseed_is_above_every_handle(self):
        d = minimal()
        seed = d.index(9, "$HANDSEED") + 1
        top = d.tags[seed][1]
        d.set(seed, f"{int(top, 16) - 1:X}")
        self.assertFault(d, Dxf.line(seed) + 1,
                         f"is not above the largest handle in use, {int(top, 16) - 1:X}")


class Pointers(CheckerCase):
    def test_a_pointer_must_reach_an_object(self):
        d = minimal()
        i = d.in_record("LAYER", 390)
        d.set(i, "ABCD")
        self.assertFault(d, Dxf.line(i) + 1, "LAYER group code 390 points at handle ABCD")

    def test_reactors_and_dictionary_entries_are_pointers(self):
        d = minimal()
        i = d.in_record("CIRCLE", 330)
        d.put(i, (102, "{ACAD_REACTORS"), (330, "FFF0"), (102, "}"))
        self.assertFault(d, Dxf.line(i + 1) + 1, "points at handle FFF0")
        d = minimal()
        i = d.index(350)
        d.set(i, "FFF1")
        self.assertFault(d, Dxf.line(i) + 1, "points at handle FFF1", only=False)

    def test_owners(self):
        d = minimal()
        i = d.in_record("CIRCLE", 330)
        ms = d.tags[i][1]
        fan = d.tags[d.in_record("BLOCK", 330, nth=2)][1]
        cases = [("CIRCLE", 0, "FFF2", "CIRCLE owner FFF2 is no object in the file"),
                 ("CIRCLE", 0, fan, f"CIRCLE owner is {fan}; the BLOCK_RECORD '*Model_Space'"),
                 ("LINE", 0, ms, f"LINE owner is {ms}; the BLOCK_RECORD 'FAN'"),
                 ("LAYER", 0, ms, f"LAYER owner is {ms}; its LAYER table"),
                 ("TABLE", 0, ms, f"TABLE owner is {ms}; a table or the root dictionary"),
                 ("VERTEX", 0, fan, f"VERTEX owner is {fan}; its POLYLINE"),
                 ("DICTIONARY", 1, "FFF3", "DICTIONARY owner FFF3 is no object")]
        for kind, nth, value, words in cases:
            with self.subTest(kind=kind, owner=value):
                d = minimal()
                i = d.in_record(kind, 330, nth=nth)
                d.set(i, value)
                self.assertFault(d, Dxf.line(i) + 1, words)

    def test_a_vertex_may_name_its_polylines_owner_instead(self):
        d = minimal()
        ms = d.tags[d.in_record("CIRCLE", 330)][1]
        d.set(d.in_record("VERTEX", 330), ms)
        d.set(d.in_record("SEQEND", 330), ms)
        self.assertClean(d)

    def test_paper_space_entities_belong_to_paper_space(self):
        d = minimal()
        i = d.in_record("POINT", 8)
        d.put(i, (67, "1"))
        self.assertFault(d, Dxf.line(i - 2) + 1, "the BLOCK_RECORD '*Paper_Space'")


class Blocks(CheckerCase):
    def test_block_records_and_blocks_pair_up(self):
        d = minimal()
        i = d.index(2, "FAN", d.record("BLOCK", 2))
        d.set(i, "FAN2")
        found = faults(d)
        self.assertIn((Dxf.line(d.record("BLOCK_RECORD", 2)),
                       "BLOCK_RECORD 'FAN' has no BLOCK"), found)
        self.assertIn((Dxf.line(d.record("BLOCK", 2)), "BLOCK 'FAN2' has no BLOCK_RECORD"), found)

    def test_an_insert_names_a_defined_block(self):
        d = minimal()
        i = d.in_record("INSERT", 2)
        d.set(i, "fan")
        self.assertClean(d)
        d.set(i, "PUMP")
        self.assertFault(d, Dxf.line(i) + 1, "INSERT of block 'PUMP', which is not defined")

    def test_a_block_never_inserts_itself(self):
        d = minimal()
        end = d.record("ENDBLK", 2)
        owner = d.tags[d.in_record("ENDBLK", 330, nth=2)][1]
        d.put(end, (0, "INSERT"), (5, "FF0"), (330, owner), (100, "AcDbEntity"), (8, "0"),
              (100, "AcDbBlockReference"), (2, "fan"), *pt(10, 0, 0))
        d.set(d.index(9, "$HANDSEED") + 1, "FF1")
        self.assertFault(d, Dxf.line(end + 6) + 1, "INSERT closes a cycle of blocks: FAN -> FAN")

    def test_model_space_block_stays_empty(self):
        d = minimal()
        ms_end = d.record("ENDBLK")
        owner = d.tags[d.in_record("CIRCLE", 330)][1]
        d.put(ms_end, (0, "POINT"), (5, "FF0"), (330, owner), (100, "AcDbEntity"), (8, "0"),
              (100, "AcDbPoint"), *pt(10, 0, 0))
        d.set(d.index(9, "$HANDSEED") + 1, "FF1")
        self.assertFault(d, Dxf.line(ms_end), "POINT inside block *Model_Space")


class Subclasses(CheckerCase):
    KINDS = ["LINE", "CIRCLE", "ARC", "LWPOLYLINE", "POLYLINE", "VERTEX", "TEXT", "MTEXT",
             "INSERT", "ATTRIB", "ATTDEF", "POINT", "SOLID", "ELLIPSE", "SPLINE", "HATCH",
             "BLOCK", "ENDBLK", "LAYER", "LTYPE", "STYLE", "APPID", "DIMSTYLE", "VPORT",
             "BLOCK_RECORD", "DICTIONARY"]

    def test_each_kind_misses_its_last_marker(self):
        for kind in self.KINDS:
            with self.subTest(kind=kind):
                d = minimal()
                start = d.record(kind)
                last = max(i for i in range(start, d.end_of(start)) if d.tags[i][0] == 100)
                d.drop(last)
                self.assertFault(d, Dxf.line(start), f"{kind} subclass markers are", only=False)

    def test_markers_out_of_order_or_renamed(self):
        d = minimal()
        a = d.in_record("ARC", 100, "AcDbCircle")
        b = d.in_record("ARC", 100, "AcDbArc")
        d.set(a, "AcDbArc")
        d.set(b, "AcDbCircle")
        self.assertFault(d, Dxf.line(a), "ARC subclass markers are AcDbEntity AcDbArc "
                                         "AcDbCircle; expected AcDbEntity AcDbCircle AcDbArc")
        d = minimal()
        i = d.in_record("POLYLINE", 100, "AcDb2dPolyline")
        d.set(i, "AcDb3dPolyline")
        self.assertClean(d)
        d.set(i, "AcDbPolyline")
        self.assertFault(d, Dxf.line(i), "expected AcDbEntity AcDb2dPolyline or AcDb3dPolyline")

    def test_entity_data_comes_after_its_marker(self):
        d = minimal()
        i = d.in_record("CIRCLE", 8)
        layer = d.tags[i]
        d.drop(i)
        d.put(i - 1, layer)
        self.assertFault(d, Dxf.line(i - 1), "CIRCLE group code 8 before the subclass marker "
                                             "AcDbEntity")


class Xdata(CheckerCase):
    def test_applications_are_registered(self):
        d = minimal()
        i = d.in_record("LINE", 1001, nth=1)
        d.set(i, "OTHER")
        self.assertFault(d, Dxf.line(i) + 1, "xdata application 'OTHER' is not in the APPID")
        d.set(i, "zrfan")
        self.assertClean(d)

    def test_strings_fit_in_255_bytes(self):
        d = minimal()
        i = d.in_record("LINE", 1000, nth=1)
        d.set(i, "风" * 85)
        self.assertClean(d)
        d.set(i, "风" * 85 + "x")
        self.assertFault(d, Dxf.line(i) + 1, "xdata string of 256 bytes (at most 255)")

    def test_braces_balance(self):
        d = minimal()
        i = d.in_record("LINE", 1002, "}", nth=1)
        d.drop(i)
        self.assertFault(d, Dxf.line(d.in_record("LINE", 1001, nth=1)), "1 { not closed by }")
        d = minimal()
        i = d.in_record("LINE", 1002, "{", nth=1)
        d.drop(i)
        self.assertFault(d, Dxf.line(d.in_record("LINE", 1002, nth=1)), "xdata } without {")
        d = minimal()
        i = d.in_record("LINE", 1002, "{", nth=1)
        d.set(i, "(")
        self.assertFault(d, Dxf.line(i) + 1, "neither { nor }", only=False)

    def test_own_data_comes_before_xdata(self):
        d = minimal()
        i = d.in_record("LINE", 1070, nth=1)
        d.put(i, (62, "1"))
        self.assertFault(d, Dxf.line(i), "group code 62 inside xdata")
        d = minimal()
        i = d.in_record("CIRCLE", 40)
        d.put(i + 1, (1000, "stray"))
        self.assertFault(d, Dxf.line(i + 1), "xdata group code 1000 before any 1001")

    def test_102_groups_are_closed(self):
        d = minimal()
        i = d.in_record("CIRCLE", 330)
        d.put(i, (102, "{ACAD_REACTORS"), (330, d.tags[i][1]))
        self.assertFault(d, Dxf.line(i), "102 group '{ACAD_REACTORS' not closed", only=False)


class Counts(CheckerCase):
    def test_counted_items_match_their_count(self):
        d = minimal()
        i = d.in_record("LWPOLYLINE", 90)
        d.set(i, "4")
        self.assertFault(d, Dxf.line(i) + 1, "LWPOLYLINE count 90 is 4 but it has 3 group code 10")
        d = minimal()
        i = d.in_record("SPLINE", 72)
        d.set(i, "5")
        self.assertFault(d, Dxf.line(i) + 1, "SPLINE count 72 is 5 but it has 4 group code 40")

    def test_required_codes(self):
        d = minimal()
        i = d.in_record("CIRCLE", 40)
        d.drop(i)
        self.assertFault(d, Dxf.line(d.record("CIRCLE")), "CIRCLE without group code 40")


class Names(CheckerCase):
    def test_layers_linetypes_and_text_styles_exist(self):
        for kind, code, table in (("CIRCLE", 8, "LAYER"), ("TEXT", 7, "STYLE"),
                                  ("LAYER", 6, "LTYPE")):
            with self.subTest(kind=kind, code=code):
                d = minimal()
                i = d.in_record(kind, code)
                d.set(i, "Missing")
                self.assertFault(d, Dxf.line(i) + 1, f"{kind} names {table} 'Missing'")


class Encoding(CheckerCase):
    def test_r2007_and_later_text_is_utf8(self):
        d = minimal()
        data = d.render()
        bad = data.replace("离心式风机".encode(), "离心式风机".encode("gbk"))
        found = dxf_check.Checker(bad).run()
        line = Dxf.line(d.in_record("TEXT", 1)) + 1
        self.assertEqual(len(found), 1, found)
        self.assertEqual(found[0][0], line)
        self.assertIn("text is not valid UTF-8", found[0][1])

    def r2000(self, codepage):
        d = minimal()
        d.set(d.index(9, "$ACADVER") + 1, "AC1015")
        d.set(d.index(9, "$DWGCODEPAGE") + 1, codepage)
        return d

    def test_older_releases_use_the_code_page_the_header_names(self):
        d = self.r2000("ANSI_936")
        self.assertClean(d, encoding="gbk")
        data = d.render(encoding="gbk").replace("风机".encode("gbk"), b"\x81\x20\x81")
        found = dxf_check.Checker(data).run()
        self.assertEqual([f[0] for f in found], [Dxf.line(d.in_record("TEXT", 1)) + 1])
        self.assertIn("text is not valid ANSI_936", found[0][1])
        d = self.r2000("ANSI_1252")
        d.set(d.in_record("TEXT", 1), "Gebläse")
        self.assertClean(d, encoding="cp1252")
        data = d.render(encoding="cp1252").replace(b"\xe4", b"\x81")
        self.assertEqual([f[0] for f in dxf_check.Checker(data).run()],
                         [Dxf.line(d.in_record("TEXT", 1)) + 1])

    def test_unknown_code_pages_and_releases(self):
        d = self.r2000("ANSI_9999")
        i = d.index(9, "$DWGCODEPAGE") + 1
        d.set(d.in_record("TEXT", 1), "plain")
        self.assertFault(d, Dxf.line(i) + 1, "names no known code page")
        d = minimal()
        i = d.index(9, "$ACADVER") + 1
        d.set(i, "AC1006")
        self.assertFault(d, Dxf.line(i) + 1, "is not a release from R12 to R2018", only=False)


class CommandLine(unittest.TestCase):
    def run_checker(self, *paths):
        return subprocess.run(["/usr/bin/python3", CHECKER, *paths], capture_output=True,
                              text=True, timeout=60)

    def test_exit_status_and_fault_lines(self):
        with tempfile.TemporaryDirectory() as tmp:
            good, bad = os.path.join(tmp, "good.dxf"), os.path.join(tmp, "bad.dxf")
            with open(good, "wb") as f:
                f.write(minimal().render())
            d = minimal()
            i = d.in_record("CIRCLE", 40)
            d.set(i, "nan")
            with open(bad, "wb") as f:
                f.write(d.render())
            r = self.run_checker(good)
            self.assertEqual((r.returncode, r.stdout), (0, ""))
            r = self.run_checker(good, bad)
            self.assertEqual(r.returncode, 1)
            self.assertEqual(r.stdout, f"{bad}:{Dxf.line(i) + 1}: group code 40: 'nan' is not "
                                       "a number\n")
            r = self.run_checker(bad, os.path.join(tmp, "missing.dxf"))
            self.assertEqual(r.returncode, 2)
            self.assertIn("missing.dxf: cannot read", r.stderr)

    def test_usage(self):
        r = self.run_checker()
        self.assertEqual(r.returncode, 2)
        self.assertIn("usage: dxf_check.py FILE...", r.stderr)


class OtherWriters(unittest.TestCase):
    """The checker takes what independent writers produce, so its faults mean something."""

    def test_ezdxf_drawings_of_every_release(self):
        import ezdxf
        with tempfile.TemporaryDirectory() as tmp:
            for version in ("R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"):
                with self.subTest(version=version):
                    path = os.path.join(tmp, f"{version}.dxf")
                    _ezdxf_drawing(ezdxf, version).saveas(path)
                    self.assertEqual(dxf_check.check_file(path), [])

    def test_a_drawing_fancad_writes(self):
        if ARGS.fancad is None:
            self.skipTest("run by CTest with --fancad")
        import ezdxf
        work = os.path.join(ARGS.workdir, "fancad")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        doc = ezdxf.new("R2010", setup=True)
        block = doc.blocks.new("F_L0")
        block.add_lwpolyline([(0, 0), (10, 0), (10, 5)], close=True)
        block.add_attdef("MODEL", (0, 0))
        doc.saveas(os.path.join(work, "base.dxf"))
        with open(os.path.join(work, "s.scr"), "w") as f:
            f.write("INSERT F_L0\n5,5\n\n\nSAVEAS plan.dxf\nNEW\nSAVEAS fresh.dxf\nQUIT\n")
        r = subprocess.run([ARGS.fancad, "--headless", "--script", "s.scr", "base.dxf"],
                           cwd=work, capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        for name in ("plan.dxf", "fresh.dxf"):
            self.assertEqual(dxf_check.check_file(os.path.join(work, name)), [])


def _ezdxf_drawing(ezdxf, version):
    """Every entity kind the checker knows, with xdata and attributes."""
    doc = ezdxf.new(version, setup=True)
    doc.appids.new("ZRFAN")
    msp = doc.modelspace()
    line = msp.add_line((0, 0), (1, 1), dxfattribs={"linetype": "DASHED"})
    line.set_xdata("ZRFAN", [(1000, "风机"), (1002, "{"), (1070, 3), (1002, "}"),
                             (1010, (1, 2, 3)), (1040, 1.5), (1071, 7)])
    msp.add_circle((0, 0), 3)
    msp.add_arc((0, 0), 3, 10, 50)
    msp.add_polyline2d([(0, 0), (1, 0), (2, 2)])
    msp.add_polyline3d([(0, 0, 0), (1, 0, 1)])
    msp.add_text("Gebläse", dxfattribs={"style": "OpenSans"})
    msp.add_point((1, 1))
    msp.add_solid([(0, 0), (1, 0), (0, 1)])
    msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    block = doc.blocks.new("BLK")
    block.add_line((0, 0), (1, 0))
    block.add_attdef("TAG", (0, 0))
    msp.add_blockref("BLK", (5, 5)).add_attrib("TAG", "value", (5, 5))
    if version != "R12":
        msp.add_lwpolyline([(0, 0), (1, 0), (1, 1)])
        msp.add_mtext("line1\\Pline2")
        msp.add_ellipse((0, 0), (2, 0), 0.5)
        msp.add_spline([(0, 0), (1, 1), (2, 0), (3, 1)])
        hatch = msp.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (1, 0), (1, 1)], is_closed=True)
        msp.add_polyface().append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
        doc.layouts.new("Layout2").add_line((0, 0), (2, 2))
        doc.groups.new("G1").extend([line])
    return doc


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--fancad")
    parser.add_argument("--workdir", default=tempfile.gettempdir())
    ARGS, rest = parser.parse_known_args()
    if ARGS.fancad:
        ARGS.fancad = os.path.abspath(ARGS.fancad)
        os.makedirs(ARGS.workdir, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
