#!/usr/bin/python3
"""FANDUTY end to end on a copy of the generated sample catalogue: its listing checked
against the catalogue's own rows (every listed candidate meets the system curve between
two of its points, within the duty window; every model that clearly meets it there is
listed; the order is by efficiency); its CSV file and chart read back; a chosen candidate
placed from the FAN dialog it opens. Operating points worked by hand: tests/duty.

Usage: duty_test.py --fancad BIN --fangen BIN --dwglib DIR --checker PY [unittest args]
"""
import csv
import math
import re
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
BELT = {"B", "C", "E", "皮带"}  # the drives whose speed can be set
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


class SampleCatalogueTest(e2e.Scenario):
    def setUp(self):
        super().setUp()
        self.sql = e2e.Catalogue(self.path("data")).sql

    def duty(self, *duties, then=("",), options=()):
        """FANDUTY on each duty (flow, pressure[, °C, Pa]; the rest the defaults), each
        followed by `then` (by default Enter at the candidate prompt), then QUIT; returns
        the output of each."""
        lines = []
        for duty in duties:
            lines += ["FANDUTY", *map(str, duty + ("",) * (4 - len(duty))), *then]
        env = {"ZR_DATALIB": self.path("data"), "ZR_DWGLIB": e2e.ARGS.dwglib}
        out = self.assertRan(e2e.run(lines + ["QUIT"], env, self.dir, options))
        return out.split("Command: FANDUTY")[1:]

    def curves(self):
        """Point-style models' (flow, pressure) sorted by flow, and range-style models' boxes,
        by the model's key."""
        models = {}
        for mid, series, drive, no, speed in self.sql(
                "SELECT ID, BigModel, DriveMode, FanNo, Speed FROM Model"):
            models[mid] = (series, text_of(no), drive, text_of(speed))
        out = {}
        for series in POINT_SERIES:
            for mid, q, p in self.sql('SELECT ModelID, Flux, AllPress FROM "%s_Parameter" '
                                      'ORDER BY ModelID, Flux' % series):
                out.setdefault(models[mid], []).append((q, p))
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
            f = [p * r - k * q * q for q, p in points]
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
        rows = [row for rows in listed for row in rows]
        self.assertEqual({row["kind"] for row in rows}, {CURVE, BOX},
                         "the points reach both kinds of series")
        # Only belt drives get the speed that meets the duty flow.
        self.assertLessEqual({"A", "D", "皮带", "直联"}, {row["drive"] for row in rows})
        for row in rows:
            self.assertEqual(row["exact_speed"] != "-", row["drive"] in BELT, row)
        # Warm thin air takes power and changes the order.
        self.assertNotEqual([model_of(r) for r in listed[0]], [model_of(r) for r in listed[-1]])
        self.assertIn("密度 1.001 kg/m3", out)

    def test_the_csv_file_the_chart_and_a_belt_drive_placed_from_the_fan_dialog(self):
        """The listing's CSV file, a candidate's chart, and the first belt-driven candidate
        opened in the FAN dialog and placed. (The chart's contents and a duty no model
        reaches: tests/duty.)"""
        (out,) = self.duty((4000, 1000), options=("--csv", "duty.csv"))
        self.assertIn("表格已写入 " + self.path("duty.csv"), out)
        with open(self.path("duty.csv"), encoding="utf-8-sig", newline="") as f:
            lines = list(csv.reader(f))
        self.assertEqual(lines[0][:3], ["序号", "型号", "机号"])
        listed = table(out)
        self.assertEqual([[c or "-" for c in cells] for cells in lines[1:]],
                         [[row[c] for c in COLUMNS] for row in listed])
        belt = next(row for row in listed if row["drive"] == "皮带")
        (out,) = self.duty((4000, 1000), then=(
            "C", belt["rank"], "chart.svg", belt["rank"], "dlg dump", "dlg click 1008", "30",
            "100,50", "dlg ok", "SAVEAS out.dxf"))
        self.assertIn("图表已写入 " + self.path("chart.svg"), out)
        self.assertEqual(ET.parse(self.path("chart.svg")).getroot().tag, SVG + "svg")
        (dump,) = dumps(out)
        self.assertEqual(tuple(control(dump, i)["text"] for i in (1012, 1014, 1015, 1016)),
                         model_of(belt))
        self.assertDrawingClean(self.path("out.dxf"))
        (insert,) = inserts(self.path("out.dxf"))
        self.assertEqual(insert.dxf.name, "%sNo%s%sF_L0" % model_of(belt)[:3])
        self.assertAlmostEqual(insert.dxf.rotation, 30)
        self.assertEqual(tuple(insert.dxf.insert)[:2], (100, 50))


if __name__ == "__main__":
    sys.exit(e2e.main("--dwglib", "--checker"))
