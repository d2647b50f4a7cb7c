#!/usr/bin/python3
"""FANDUTY end to end: scripts through `fancad --headless` on copies of the generated
sample catalogue. Its listing is checked against the catalogue's own rows (on the sample's
curves) and against operating points worked out by hand (on straight-line curves each
scenario writes, which the monotone cubic follows exactly); its CSV file and chart are
read back; a chosen candidate is placed from the FAN dialog into a drawing.

Usage: duty_test.py --fancad BIN --fangen BIN --dwglib DIR --checker PY [unittest args]
"""
import csv
import math
import os
import re
import shutil
import sys
import xml.etree.ElementTree as ET

import fancad_e2e as e2e
from fancad_e2e import control, dumps, inserts, text_of

POINT_SERIES = ["4-72", "9-19", "T4-72", "Y5-47"]
RANGE_SERIES = ["4-79", "11-62"]
COLUMNS = ["rank", "series", "fan_no", "drive", "speed", "flow", "pressure", "efficiency",
           "shaft", "motor", "margin", "peak", "exact_speed", "kind", "remark"]
CURVE, BOX = "曲线", "范围"
OVERSIZE = 1.2  # the operating flow is at most a fifth above the duty flow
SVG = "{http://www.w3.org/2000/svg}"


def density(celsius, pascals):
    """Dry air as an ideal gas."""
    return pascals / (287.05 * (celsius + 273.15))


def table(output):
    """The listed candidates: rows after the heading, split on runs of blanks."""
    lines = output.splitlines()
    start = next((i for i, l in enumerate(lines) if l.startswith("序号  型号")), None)
    if start is None:
        return []
    rows = []
    for line in lines[start + 1:]:
        if not re.match(r"^\s*\d+  ", line):
            break
        cells = re.split(r"\s{2,}", line.strip())
        assert len(cells) == len(COLUMNS), line
        rows.append(dict(zip(COLUMNS, cells)))
    return rows


def model_of(row):
    return (row["series"], row["fan_no"], row["drive"], row["speed"])


class Scenario(e2e.Scenario):
    def setUp(self):
        super().setUp()
        os.makedirs(self.path("dwg", "Fan"))
        self.catalogue = e2e.Catalogue(self.path("data"))
        self.sql = self.catalogue.sql

    def fancad(self, lines, options=()):
        env = {"ZR_DATALIB": self.path("data"), "ZR_DWGLIB": self.path("dwg")}
        return self.assertRan(e2e.run(lines, env, self.dir, options))

    def duty(self, *duties, then=("",), options=()):
        """FANDUTY on each duty (flow, pressure[, °C, Pa]; the rest the defaults), each
        followed by `then` (by default Enter at the candidate prompt), then QUIT; returns
        the output of each."""
        lines = []
        for duty in duties:
            lines += ["FANDUTY", *map(str, duty + ("",) * (4 - len(duty))), *then]
        out = self.fancad(lines + ["QUIT"], options)
        return out.split("Command: FANDUTY")[1:]

    def model_id(self, *model):
        mid = self.catalogue.model_id(*model)
        self.assertIsNotNone(mid, model)
        return mid


class SampleCatalogueTest(Scenario):
    """The sample's own rows: every listed candidate meets the system curve between two
    of its catalogue points, within the duty window; every model that clearly meets it
    there is listed; the order is by efficiency."""

    def curves(self):
        """Point-style models: their rows sorted by flow, with the model's key."""
        models = {}
        for mid, series, drive, no, speed in self.sql(
                "SELECT ID, BigModel, DriveMode, FanNo, Speed FROM Model"):
            models[mid] = (series, text_of(no), drive, text_of(speed))
        out = {}
        for series in POINT_SERIES:
            for mid, q, p, e, s, m in self.sql(
                    'SELECT ModelID, Flux, AllPress, Efficiency, ShaftPower, MotorPower '
                    'FROM "%s_Parameter" ORDER BY ModelID, Flux' % series):
                out.setdefault(models[mid], []).append((q, p, e, s, m))
        boxes = {}
        for series in RANGE_SERIES:
            for row in self.sql('SELECT ModelID, FluxLow, FluxHigh, AllPressLow, AllPressHigh, '
                                'Efficiency, ShaftPower, MotorPower FROM "%s_Parameter"'
                                % series):
                boxes.setdefault(models[row[0]], []).append(row[1:])
        return out, boxes

    def check(self, out, flow, pressure, celsius=20, pascals=101325):
        """The listing FANDUTY printed in out for the duty point."""
        rows = table(out)
        r = density(celsius, pascals) / 1.2
        k = pressure / flow ** 2
        curves, boxes = self.curves()
        listed = {model_of(row): row for row in rows}
        self.assertEqual(len(listed), len(rows), "a model listed twice")
        for model, points in curves.items():
            f = [p * r - k * q * q for q, p, *_ in points]
            crossings = [i for i in range(len(points) - 1) if f[i] >= 0 > f[i + 1]]
            rising = any(points[i + 1][1] > points[i][1] for i in range(len(points) - 1))
            if not crossings:
                if not rising:
                    self.assertNotIn(model, listed, "the system curve misses the curve")
                continue
            i = crossings[-1]
            lo, hi = points[i], points[i + 1]
            row = listed.get(model)
            if flow <= lo[0] and hi[0] <= OVERSIZE * flow and not rising:
                self.assertIsNotNone(row, "%s meets the system inside the window" % (model,))
            if hi[0] < flow or lo[0] > OVERSIZE * flow:
                self.assertIsNone(row, "%s meets the system outside the window" % (model,))
            if row is None or rising:
                continue
            q = float(row["flow"])
            self.assertEqual(row["kind"], CURVE)
            self.assertTrue(lo[0] - 0.5 <= q <= hi[0] + 0.5, (model, q, lo, hi))
            self.assertTrue(flow - 0.5 <= q <= OVERSIZE * flow + 0.5, (model, q))
            self.assertAlmostEqual(float(row["pressure"]), k * q * q, delta=0.5 + 2 * k * q)
            # The monotone cubic stays between its points' values, scaled to the air.
            e = float(row["efficiency"])
            self.assertTrue(min(lo[2], hi[2]) - 0.05 <= e <= max(lo[2], hi[2]) + 0.05)
            s = float(row["shaft"])
            self.assertTrue(r * min(lo[3], hi[3]) - 0.005 <= s <= r * max(lo[3], hi[3]) + 0.005)
            self.assertEqual(float(row["motor"]), lo[4])
            self.assertAlmostEqual(float(row["margin"]), 100 * (lo[4] / s - 1), delta=1.5)
        for model, rects in boxes.items():
            reach = []
            for fl, fh, pl, ph, e, s, m in rects:
                low = max(fl, flow, math.sqrt(pl * r / k))
                high = min(fh, OVERSIZE * flow, math.sqrt(ph * r / k))
                if low <= high:
                    reach.append((low, e, s, m))
            row = listed.get(model)
            self.assertEqual(row is not None, bool(reach), model)
            if row:
                self.assertEqual(row["kind"], BOX)
                low, e, s, m = min(reach)
                self.assertAlmostEqual(float(row["flow"]), low, delta=0.5)
                self.assertEqual(float(row["efficiency"]), e)
                self.assertAlmostEqual(float(row["shaft"]), r * s, delta=0.005)
        stable = [float(row["efficiency"]) for row in rows if "不稳定" not in row["remark"]]
        self.assertEqual(stable, sorted(stable, reverse=True))
        self.assertEqual([row["rank"] for row in rows], [str(i + 1) for i in range(len(rows))])
        return rows

    def test_duty_points_across_the_sample_and_in_warm_thin_air(self):
        duties = [(2000, 850), (3000, 1000), (5000, 1200), (4500, 1500), (2500, 3000),
                  (8000, 800), (6000, 600), (2000, 850, 40, 90000)]
        listed = []
        for duty, out in zip(duties, self.duty(*duties)):
            with self.subTest(duty=duty):
                listed.append(self.check(out, *duty))
        self.assertEqual({row["kind"] for rows in listed for row in rows}, {CURVE, BOX},
                         "the points reach both kinds of series")
        # Warm thin air takes power and changes the order.
        self.assertNotEqual([model_of(r) for r in listed[0]], [model_of(r) for r in listed[-1]])
        self.assertIn("密度 1.001 kg/m3", out)

    def test_a_duty_no_model_reaches_says_so_and_asks_no_candidate(self):
        (out,) = self.duty((100000, 100), then=())
        self.assertIn("没有风机能达到设计点", out)
        self.assertEqual(table(out), [])
        self.assertNotIn("输入候选序号", out)
        self.assertIn("Command: QUIT", out)


class HandWorkedTest(Scenario):
    """Straight-line curves written by the scenario: the operating points, efficiencies,
    powers and belt speeds below are worked out by hand from them."""

    K = 5e-4  # the system curve through 1000 m³/h at 500 Pa
    # model: (pressure a - b·Q, efficiency c + d·Q, shaft power u + v·Q, flows of its points)
    A = ("4-72", "2.8", "A", "2900")
    B = ("9-19", "5", "D", "2900")
    C = ("T4-72", "4", "皮带", "2000")
    D = ("4-72", "3.2", "A", "2900")
    E = ("Y5-47", "5", "D", "1450")
    LINES = {A: (1050, 0.5, 80, 0, 0.35, 0, (800, 1000, 1200)),
             B: (1700, 1.0, 25, 0.055, 0.2, 0.0002, (900, 1100, 1300)),
             C: (1400, 0.7, 135, -0.045, 0.3, 0.0001, (800, 1000, 1200, 1400)),
             E: (1400, 0.7, None, None, 0.5, 0, (800, 1100, 1400))}

    def setUp(self):
        super().setUp()
        for s in POINT_SERIES + RANGE_SERIES:
            self.sql('DELETE FROM "%s_Parameter"' % s)
        for model, (a, b, c, d, u, v, flows) in self.LINES.items():
            for q in flows:
                self.point(model, q, a - b * q, None if c is None else c + d * q, u + v * q)
        # D rises to its peak at its last point: the system meets it on the unstable side.
        for q, p in [(900, 300), (1000, 620), (1200, 700)]:
            self.point(self.D, q, p, 90.0, 0.4)
        # Y5-47 gives no efficiency at all.
        self.sql('ALTER TABLE "Y5-47_Parameter" DROP COLUMN Efficiency')

    def point(self, model, q, p, e, s):
        columns = "ModelID, Flux, AllPress, ShaftPower, MotorPower"
        values = [self.model_id(*model), q, p, s, 1.1]
        if e is not None:
            columns += ", Efficiency"
            values.append(e)
        self.sql('INSERT INTO "%s_Parameter" (%s) VALUES (%s)'
                 % (model[0], columns, ", ".join("?" * len(values))), *values)

    def expected(self, model, r):
        """Where r·(a - b·Q) = K·Q², and the curve's values there."""
        a, b, c, d, u, v, _ = self.LINES[model]
        q = (-r * b + math.sqrt(r * r * b * b + 4 * self.K * r * a)) / (2 * self.K)
        return q, self.K * q * q, None if c is None else c + d * q, r * (u + v * q)

    def assert_row(self, row, model, r):
        q, p, e, s = self.expected(model, r)
        self.assertEqual(model_of(row), model)
        self.assertEqual(row["kind"], CURVE)
        self.assertAlmostEqual(float(row["flow"]), q, delta=0.5)
        self.assertAlmostEqual(float(row["pressure"]), p, delta=0.5)
        if e is None:
            self.assertEqual(row["efficiency"], "-")
        else:
            self.assertAlmostEqual(float(row["efficiency"]), e, delta=0.05)
        self.assertAlmostEqual(float(row["shaft"]), s, delta=0.005)
        self.assertAlmostEqual(float(row["margin"]), 100 * (1.1 / s - 1), delta=0.5)
        return q

    def test_ranked_by_efficiency_then_without_it_then_the_unstable(self):
        (out,) = self.duty((1000, 500))
        rows = table(out)
        r = density(20, 101325) / 1.2
        self.assertEqual([model_of(x) for x in rows], [self.B, self.C, self.A, self.E, self.D])
        for row, model in zip(rows, (self.B, self.C, self.A, self.E)):
            self.assert_row(row, model, r)
        # The belt drive gets the speed that meets the duty flow exactly.
        q_c = self.expected(self.C, r)[0]
        self.assertAlmostEqual(float(rows[1]["exact_speed"]), 2000 * 1000 / q_c, delta=0.5)
        self.assertEqual([x["exact_speed"] for x in rows if x is not rows[1]], ["-"] * 4)
        self.assertIn("无效率", rows[3]["remark"])
        self.assertIn("不稳定", rows[4]["remark"])
        self.assertLess(float(rows[4]["peak"]), 0)
        self.assertTrue(1000 <= float(rows[4]["flow"]) <= 1200)
        self.assertIn("系列 Y5-47 的参数表没有效率列, 排在有效率的型号之后。", out)

    def test_warm_thin_air_lowers_power_drops_a_fan_and_swaps_two(self):
        rows = table(self.duty((1000, 500, 40, 90000))[0])
        r = density(40, 90000) / 1.2
        self.assertEqual([model_of(x) for x in rows], [self.C, self.B, self.E, self.D])
        for row, model in zip(rows, (self.C, self.B, self.E)):
            self.assert_row(row, model, r)
        # A meets the system below the duty flow now: it falls short.
        self.assertLess(self.expected(self.A, r)[0], 1000)

    def test_the_csv_file_holds_the_table(self):
        (out,) = self.duty((1000, 500), options=("--csv", "duty.csv"))
        self.assertIn("表格已写入 " + os.path.join(self.dir, "duty.csv"), out)
        with open(os.path.join(self.dir, "duty.csv"), encoding="utf-8-sig", newline="") as f:
            lines = list(csv.reader(f))
        self.assertEqual(lines[0][:3], ["序号", "型号", "机号"])
        listed = table(out)
        self.assertEqual(len(lines), 1 + len(listed))
        for cells, row in zip(lines[1:], listed):
            self.assertEqual([c or "-" for c in cells], [row[c] for c in COLUMNS])

    def test_the_chart_is_written_with_the_candidates_curves_and_points(self):
        """Where the curves and points land on the chart, the chart's own tests check."""
        (out,) = self.duty((1000, 500), then=("C", "2", "chart.svg", ""))
        self.assertIn("图表已写入 " + self.path("chart.svg"), out)
        svg = ET.parse(self.path("chart.svg")).getroot()

        def roles(tag, cls=None, role="data-role"):
            return {e.get(role) for e in svg.iter(SVG + tag) if cls in (None, e.get("class"))}
        self.assertEqual(roles("polyline"), {"pressure", "efficiency", "power", "system"})
        self.assertEqual(roles("g", "axis", "data-axis"), {"flow", "pressure", "efficiency",
                                                           "power"})
        self.assertLessEqual({"duty", "operating"}, roles("g", "marker"))

    def test_a_chosen_candidate_opens_the_fan_dialog_and_is_placed_from_it(self):
        shutil.copy(os.path.join(e2e.ARGS.dwglib, "Fan", "T4-72No4皮带.dwg"),
                    self.path("dwg", "Fan"))
        (out,) = self.duty((1000, 500), then=("2", "dlg dump", "dlg click 1008", "30",
                                              "100,50", "dlg ok", "SAVEAS out.dxf"))
        (dump,) = dumps(out)
        self.assertEqual(tuple(control(dump, i)["text"] for i in (1012, 1014, 1015, 1016)),
                         self.C)
        self.assertDrawingClean(self.path("out.dxf"))
        (insert,) = inserts(self.path("out.dxf"))
        self.assertEqual(insert.dxf.name, "T4-72No4皮带F_L0")
        self.assertAlmostEqual(insert.dxf.rotation, 30)
        self.assertEqual(tuple(insert.dxf.insert)[:2], (100, 50))


if __name__ == "__main__":
    sys.exit(e2e.main("--dwglib", "--checker"))
