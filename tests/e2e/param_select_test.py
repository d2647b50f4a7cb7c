#!/usr/bin/python3
"""Selection by air flow and pressure end to end: radio 202 and 203 through
`fancad --headless`, on copies of the generated sample whose parameter rows
each scenario sets itself, so that every expected candidate is written here."""
import sys

import fancad_e2e as e2e
from fan_dialog_test import COMBOS, assert_cascade_matches_catalogue
from fancad_e2e import Catalogue, Scenario, control, dumps, grid, run

ALL_SERIES = ["11-62", "4-72", "4-79", "9-19", "T4-72", "Y5-47"]
DUTY_EDITS = (1000, 1001, 1002, 1003)
BROWSE_BUTTONS = (205, 208, 209)


def items(dump, cid):
    return control(dump, cid)["items"]


def shown_model(dump):
    return tuple(control(dump, c)["text"] for c in COMBOS)


class ParamSelectTest(Scenario):
    def setUp(self):
        super().setUp()
        self.cat = Catalogue(self.path("data"))

    def dialog(self, *lines):
        out = self.assertRan(run(["FAN", *lines, "dlg cancel", "QUIT"],
                                 {"ZR_DATALIB": self.cat.folder}))
        found = dumps(out)
        self.assertEqual(len(found), sum(1 for l in lines if l == "dlg dump"), out)
        return found, out

    def test_rows_that_cover_the_duty_point_and_the_last_match_of_each_series(self):
        """E = 50, P = 990, F = 1131: each series gives the model of its last matching row.
        (The tolerance's and the ranges' bounds: tests/fandlg.)"""
        for series in ALL_SERIES:
            self.cat.sql('DELETE FROM "%s_Parameter"' % series)
        for series, fan_no, drive, press, flux in (
                ("4-72", "2.8", "A", 990, 1131),
                ("4-72", "3.2", "A", 1041, 1081),  # one pascal beyond the tolerance: 2.8 stays
                ("T4-72", "2.8", "直联", 990, 1131),
                ("T4-72", "3.15", "直联", 940, 1181),
                ("T4-72", "2.8", "直联", 2000, 3000),  # 2.8's last row matches nothing
                ("9-19", "4", "A", 990, 1182)):
            self.cat.sql('INSERT INTO "%s_Parameter" (ModelID, AllPress, Flux) VALUES (?, ?, ?)'
                         % series, self.cat.model_id(series, fan_no, drive, "2900"), press, flux)
        # P on the low bound, F on the high.
        self.cat.sql('INSERT INTO "4-79_Parameter" (ModelID, AllPressLow, AllPressHigh, FluxLow,'
                     ' FluxHigh) VALUES (?, 990, 1200, 1000, 1131)',
                     self.cat.model_id("4-79", "3.6", "A", "2900"))
        lines = ["dlg click 202", "dlg dump"]
        for s in ("4-72", "4-79", "T4-72"):
            lines += ["dlg select 1012 " + s, "dlg dump"]
        (first, *per_series), out = self.dialog(*lines)
        self.assertNotIn("MSGBOX", out)
        self.assertEqual(items(first, 1012), ["4-72", "4-79", "T4-72"])
        expected = {"4-72": ("4-72", "2.8", "A", "2900"), "4-79": ("4-79", "3.6", "A", "2900"),
                    "T4-72": ("T4-72", "3.15", "直联", "2900")}
        self.assertEqual(shown_model(first), expected["4-72"])
        for dump, (series, model) in zip(per_series, expected.items()):
            with self.subTest(series=series):
                self.assertEqual(shown_model(dump), model)
                # The lower lists hold the candidate's values only, though the
                # series has several fan numbers in the catalogue.
                self.assertEqual([items(dump, c) for c in COMBOS[1:]],
                                 [[v] for v in model[1:]])
                self.assertGreater(len(self.cat.column("FanNo", "BigModel=?", series)), 1)
                fields, rows = self.cat.table(series + "_Parameter", self.cat.model_id(*model))
                self.assertEqual(grid(dump, 5003)["rows"], len(rows) + 2)

    def test_the_sample_duty_points_and_the_modes_switching_buttons_edits_and_lists(self):
        """The generated catalogue as it is: the dialog's default duty point, then 4900 m³/h
        at 1100 Pa; then browsing, which lists everything."""
        found, out = self.dialog(
            "dlg click 202", "dlg dump", "dlg select 1012 Y5-47", "dlg dump",
            "dlg type 1002 4900", "dlg type 1003 1100", "dlg dump", "dlg click 202", "dlg dump",
            "dlg click 203", "dlg dump", "dlg select 1012 9-19", "dlg dump")
        param, y547, typed, second, browse, series = found
        self.assertNotIn("MSGBOX", out)
        self.assertEqual(items(param, 1012), ["9-19", "Y5-47"])
        self.assertEqual(shown_model(param), ("9-19", "5", "C", "1250"))
        self.assertEqual(shown_model(y547), ("Y5-47", "3.15", "C", "2240"))
        # Typing alone searches nothing: the lists change on the click.
        self.assertEqual(items(typed, 1012), ["9-19", "Y5-47"])
        self.assertEqual(items(second, 1012), ["11-62", "4-72", "4-79", "T4-72"])
        self.assertEqual(shown_model(second), ("11-62", "3.6", "A", "2900"))
        self.assertEqual([control(second, c)["text"] for c in (1002, 1003)], ["4900", "1100"])
        for cid in DUTY_EDITS:
            self.assertTrue(control(param, cid)["enabled"], cid)
            self.assertFalse(control(browse, cid)["enabled"], cid)
        for cid in BROWSE_BUTTONS:
            self.assertFalse(control(param, cid)["enabled"], cid)
            self.assertTrue(control(browse, cid)["enabled"], cid)
        self.assertEqual([control(d, c)["checked"] for d in (param, browse) for c in (202, 203)],
                         [True, False, False, True])
        self.assertEqual(items(browse, 1012), ALL_SERIES)
        self.assertEqual(shown_model(browse)[0], "11-62")
        assert_cascade_matches_catalogue(self, self.cat, browse)
        # The candidates no longer decide the lists: 9-19 had one, No.5 C.
        assert_cascade_matches_catalogue(self, self.cat, series)
        self.assertGreater(len(items(series, 1014)), 1)

    def test_a_flow_that_is_not_a_number_is_refused_and_the_search_keeps_the_old_one(self):
        """The framework's prompt refuses the text; the search runs on the flow
        the dialog still holds, and the list it fills puts that flow back."""
        (dump,), out = self.dialog("dlg click 202", "dlg type 1002 abc", "dlg click 202",
                                   "msg ok", "dlg dump")
        boxes = [l for l in out.splitlines() if l.startswith("MSGBOX ")]
        self.assertEqual(len(boxes), 1, out)
        self.assertIn('"text":"请输入一个数字。"', boxes[0])
        self.assertEqual(items(dump, 1012), ["9-19", "Y5-47"])
        self.assertEqual(control(dump, 1002)["text"], "1131")


if __name__ == "__main__":
    sys.exit(e2e.main())
