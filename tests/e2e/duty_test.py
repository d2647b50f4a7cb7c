#!/usr/bin/python3
"""FANDUTY end to end on a copy of the generated sample catalogue: its listing (both kinds
of series, within the duty window, by efficiency), its CSV file and chart read back, a
chosen candidate placed from the FAN dialog it opens. Which models reach a duty point, and
where, worked by hand: tests/duty.

Usage: duty_test.py --fancad BIN --fangen BIN --dwglib DIR --checker PY [unittest args]
"""
import csv
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

import ezdxf
import ezdxf.bbox

import fancad_e2e as e2e
from fancad_e2e import control, dumps, inserts

COLUMNS = ["rank", "series", "fan_no", "drive", "speed", "flow", "pressure", "efficiency",
           "shaft", "motor", "margin", "peak", "exact_speed", "kind", "remark",
           "fei", "ecodesign", "sfp", "lwa", "motor_oversized", "assessment"]
CURVE, BOX = "曲线", "范围"
OVERSIZE = 1.2  # the operating flow is at most a fifth above the duty flow
BELT = {"B", "C", "E", "皮带"}  # the drives whose speed can be set
SVG = "{http://www.w3.org/2000/svg}"


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
    def duty(self, then=("",), options=()):
        """FANDUTY on 4000 m³/h at 1000 Pa in the default air, then `then` (by default Enter
        at the candidate prompt) and QUIT; returns the output."""
        e2e.Catalogue(self.path("data"))
        env = {"ZR_DATALIB": self.path("data"), "ZR_DWGLIB": e2e.ARGS.dwglib}
        lines = ["FANDUTY", "4000", "1000", "", "", *then, "QUIT"]
        return self.assertRan(e2e.run(lines, env, self.dir, options))

    def test_the_csv_file_the_chart_and_a_belt_drive_placed_from_the_fan_dialog(self):
        """The listing's CSV file, a candidate's chart, and the first belt-driven candidate
        opened in the FAN dialog and placed. (The chart's contents and a duty no model
        reaches: tests/duty.)"""
        out = self.duty(options=("--csv", "duty.csv"))
        self.assertIn("表格已写入 " + self.path("duty.csv"), out)
        with open(self.path("duty.csv"), encoding="utf-8-sig", newline="") as f:
            lines = list(csv.reader(f))
        self.assertEqual(lines[0][:3], ["序号", "型号", "机号"])
        listed = table(out)
        self.assertEqual([[c or "-" for c in cells] for cells in lines[1:]],
                         [[row[c] for c in COLUMNS] for row in listed])
        self.assertEqual({row["kind"] for row in listed}, {CURVE, BOX})
        for row in listed:  # only belt drives get the speed that meets the duty flow
            self.assertTrue(4000 <= float(row["flow"]) <= OVERSIZE * 4000, row)
            self.assertEqual(row["exact_speed"] != "-", row["drive"] in BELT, row)
        efficiencies = [float(row["efficiency"]) for row in listed]
        self.assertEqual(efficiencies, sorted(efficiencies, reverse=True))
        belt = next(row for row in listed if row["drive"] == "皮带")
        out = self.duty(then=(
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
        # Its record keeps the duty asked for and the operating point listed.
        tags = insert.get_xdata("ZRFAN_RECORD")
        record = {tags[i].value: tags[i + 1].value for i in range(1, len(tags) - 1, 2)}
        self.assertEqual((record["SERIES"], record["FANNO"], record["DRIVE"], record["SPEED"]),
                         model_of(belt))
        self.assertEqual((record["FLOW"], record["PRESSURE"]), (4000, 1000))
        self.assertAlmostEqual(record["POINTFLOW"], float(belt["flow"]), delta=1)
        self.assertAlmostEqual(record["EFFICIENCY"], float(belt["efficiency"]), delta=0.1)
        # Its data sheet: the outline of the view block placed, at its overall size, and the
        # accessories of a belt drive.
        self.duty(then=(belt["rank"], "dlg ok"), options=("--set", "FANDUTYSHEET=sheet.pdf"))
        sheet = subprocess.run(["pdftotext", "-layout", self.path("sheet.pdf"), "-"],
                               capture_output=True, text=True, check=True).stdout
        view = ezdxf.readfile(self.path("out.dxf")).blocks.get(insert.dxf.name)
        box = ezdxf.bbox.extents(e for e in view if e.dxftype() not in ("ATTDEF", "TEXT"))
        self.assertIn("外形尺寸 宽 %.0f × 高 %.0f mm" % (box.size.x, box.size.y), sheet)
        self.assertIn("皮带轮", sheet)


if __name__ == "__main__":
    sys.exit(e2e.main("--dwglib", "--checker"))
