#!/usr/bin/python3
"""The FAN command end to end: scripts through `fancad --headless`, checked
against the catalogue each scenario builds from the generated sample."""
import sys

from fancad_e2e import Catalogue, Scenario, boxes, control, dumps, grid, run, text_of
import fancad_e2e as e2e

COMBOS = (1012, 1014, 1015, 1016)


def combo_order(values):
    """The order of a sorted combo: ordinal, ASCII letters folded, ties kept."""
    fold = lambda s: "".join(c.upper() if "a" <= c <= "z" else c for c in s)
    return sorted(values, key=fold)


def assert_cascade_matches_catalogue(test, cat, dump):
    """Each list holds exactly the catalogue's values under the choices above it."""
    series, fan_no, drive = (control(dump, c)["text"] for c in COMBOS[:3])
    rows = cat.sql("SELECT FanNo, DriveMode, Speed FROM Model WHERE BigModel=? ORDER BY rowid",
                   series)
    expected = [cat.column("BigModel"), cat.column("FanNo", "BigModel=?", series),
                e2e.distinct(r[1] for r in rows if text_of(r[0]) == fan_no),
                e2e.distinct(text_of(r[2]) for r in rows
                             if text_of(r[0]) == fan_no and r[1] == drive)]
    for cid, values in zip(COMBOS, expected):
        c = control(dump, cid)
        test.assertEqual(c["items"], combo_order(values), cid)
        test.assertEqual(c["text"], c["items"][c["sel"]])
        if cid != 1012:
            test.assertEqual(c["sel"], 0, "the first item below the series")


class FanDialogTest(Scenario):
    def setUp(self):
        super().setUp()
        self.cat = Catalogue(self.path("data"))

    def dialog(self, *lines, expect_dumps=None):
        proc = run(["FAN", *lines, "dlg cancel", "QUIT"], {"ZR_DATALIB": self.cat.folder})
        self.assertRan(proc)
        found = dumps(proc.stdout)
        if expect_dumps is not None:
            self.assertEqual(len(found), expect_dumps, proc.stdout)
        return found, proc.stdout

    def assert_grid_shows(self, dump, gid, table):
        """Heading row, rows numbered 1..n in table order, one empty spare row."""
        model_id = self.cat.model_id(*(control(dump, c)["text"] for c in COMBOS))
        fields, rows = self.cat.table(table, model_id)
        g = grid(dump, gid)
        self.assertTrue(rows, "scenario needs a model with rows in " + table)
        self.assertEqual((g["rows"], g["cols"], g["fixedRows"], g["fixedCols"]),
                         (len(rows) + 2, len(fields), 1, 1))
        self.assertEqual(g["cells"][0], [""] + [self.cat.heading(f) for f in fields[1:]])
        for r, row in enumerate(rows, start=1):
            self.assertEqual(g["cells"][r], [str(r)] + [v or "" for v in row[1:]])
        self.assertEqual(g["cells"][-1], [""] * len(fields))

    def test_opening_shows_the_defaults_and_every_series_reloads_the_lists_and_grids(self):
        series = combo_order(self.cat.column("BigModel"))
        lines = ["dlg dump"]
        for s in series:
            lines += ["dlg select 1012 " + s, "dlg dump"]
        (first, *found), _ = self.dialog(*lines, expect_dumps=len(series) + 1)
        self.assertEqual(first["caption"], "风机选型布置")
        for cid, text in ((1000, "101325"), (1001, "20"), (1002, "1131"), (1003, "990")):
            self.assertEqual(control(first, cid)["text"], text)
            self.assertFalse(control(first, cid)["enabled"])
        for cid, checked in ((203, True), (202, False), (1026, True)):
            self.assertEqual(control(first, cid)["checked"], checked, cid)
        for cid in (204, 206, 1008):  # the view drawing and placement buttons
            self.assertTrue(control(first, cid)["enabled"], cid)
        self.assertEqual((control(first, 1018)["text"], control(first, 1018)["items"]),
                         ("左", ["左", "右"]))
        self.assertEqual(control(first, 1017)["text"], "0")
        assert_cascade_matches_catalogue(self, self.cat, first)
        for s, dump in zip(series, found):
            with self.subTest(series=s):
                self.assertEqual(control(dump, 1012)["text"], s)
                assert_cascade_matches_catalogue(self, self.cat, dump)
                self.assert_grid_shows(dump, 5003, s + "_Parameter")
                drive = control(dump, 1015)["text"]
                self.assert_grid_shows(dump, 5005, "%s_%s_Accessory" % (s, drive))

    def test_an_empty_model_table_leaves_everything_empty(self):
        self.cat.sql("DELETE FROM Model")
        (dump,), out = self.dialog("dlg dump", expect_dumps=1)
        self.assertNotIn("MSGBOX", out)
        for cid in COMBOS:
            self.assertEqual((control(dump, cid)["items"], control(dump, cid)["text"]), ([], ""))
        for gid in (5003, 5005):
            self.assertEqual(grid(dump, gid)["cols"], 0)
            self.assertEqual(set(sum(grid(dump, gid)["cells"], [])), set())

    def test_a_series_without_fan_numbers_leaves_the_lower_lists_and_grids(self):
        self.cat.sql("UPDATE Model SET FanNo = NULL WHERE BigModel = '9-19'")
        before, after = self.dialog("dlg dump", "dlg select 1012 9-19", "dlg dump",
                                    expect_dumps=2)[0]
        self.assertEqual((control(after, 1014)["items"], control(after, 1014)["text"]), ([], ""))
        for cid in (1015, 1016):
            self.assertEqual(control(after, cid)["items"], control(before, cid)["items"])
        self.assertEqual(after["grids"], before["grids"])

    def test_a_missing_catalogue_is_reported_and_the_dialog_opens_empty(self):
        """The open reports it; the first query then finds no connection and the wrapper
        reports that statement too. (A damaged catalogue's message: tests/db.)"""
        missing = self.path("nowhere")
        proc = run(["FAN", "dlg dump", "dlg cancel", "QUIT"], {"ZR_DATALIB": missing})
        self.assertRan(proc)
        self.assertEqual([b["text"] for b in boxes(proc.stdout)],
                         ["数据库" + missing + "\\ZRFan.Mdb不存在!",
                          "数据库操作错误!\nSELECT * FROM Model"])
        (dump,) = dumps(proc.stdout)
        for cid in COMBOS:
            self.assertEqual(control(dump, cid)["items"], [])

    def test_fan_twice_starts_from_the_defaults_and_unloading_removes_the_command(self):
        proc = run(["FAN", "dlg dump", "dlg select 1012 9-19", "dlg select 1018 右",
                    "dlg click 1028", "dlg type 1017 45", "dlg ok",
                    "FAN", "dlg dump", "dlg ok", "APPUNLOAD zrfan", "FAN", "QUIT"],
                   {"ZR_DATALIB": self.cat.folder})
        self.assertRan(proc)
        first, second = dumps(proc.stdout)
        self.assertEqual(first, second)
        self.assertIn('Unknown command "FAN".', proc.stdout)


if __name__ == "__main__":
    sys.exit(e2e.main())
