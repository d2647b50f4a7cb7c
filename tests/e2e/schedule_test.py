#!/usr/bin/python3
"""Tags and FANSCHED end to end on the sample library: three fans placed with FAN (one
by selection by parameters), each with its record and tag; COPY, ERASE, UNDO, MOVE,
FANSCHED twice, the CSV and XLSX files, SAVEAS and a reopen through --schedule; and the
same fans as a drawing made before tags holds them. FANSHEET's data sheets of placed
fans, read back with pdftotext. Drawings are read back by ezdxf and the drawing checker.

Usage: schedule_test.py --fancad BIN --checker PY (ZR_DATALIB, ZR_DWGLIB set)
"""
import csv
import os
import re
import stat
import subprocess
import sys

import ezdxf
import ezdxf.bbox
import openpyxl

import fancad_e2e as e2e

MODEL = "dlg select 1012 4-72\ndlg select 1014 4.5\ndlg select 1015 A\ndlg select 1016 2900"
PLACE = ("FAN\n" + MODEL + "\ndlg click 1008\n0\n1000,0\ndlg click 1008\n0\n3000,0\ndlg ok\n"
         "FAN\ndlg click 202\ndlg type 1002 1131\ndlg type 1003 990\ndlg click 202\n"
         "dlg click 1008\n0\n5000,0\ndlg ok\nSAVEAS old.dxf")
PLACEMENT = ["Model", "LabelModel", "PLAN", "NAME", "VACType"]


def fans(doc):
    return [e for e in doc.modelspace() if e.dxftype() == "INSERT" and e.has_xdata("Model")]


def tag_of(fan):
    return next((a.dxf.text for a in fan.attribs if a.dxf.tag == "ZRFAN_TAG"), "")


def record_tag(fan):
    values = [t.value for t in fan.get_xdata("ZRFAN_RECORD")]
    return values[values.index("TAG") + 1]


def read_csv(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return list(csv.reader(f))


def table_rows(doc):
    """The FAN_SCHEDULE block's texts, row by row (top first), left to right."""
    rows = {}
    for t in doc.blocks.get("FAN_SCHEDULE").query("TEXT"):
        rows.setdefault(round(t.dxf.insert.y), []).append((t.dxf.insert.x, t.dxf.text))
    return [[text for _, text in sorted(r)] for _, r in sorted(rows.items(), reverse=True)]


class Schedule(e2e.Scenario):
    def fancad(self, *lines, args=(), status=0):
        return self.assertRan(e2e.run(list(lines), cwd=self.dir, args=args), status)

    def test_fans_placed_before_tags_are_listed_last_and_keep_their_entries(self):
        self.fancad(PLACE)
        doc = ezdxf.readfile(self.path("old.dxf"))
        for fan in fans(doc):  # as placed before records and tags
            fan.discard_xdata("ZRFAN_RECORD")
            fan.delete_attrib("ZRFAN_TAG")
        doc.layers.remove("FAN_TAG")
        doc.saveas(self.path("old.dxf"))
        self.fancad("FANSCHED", "c", "old.csv", args=[self.path("old.dxf")])
        rows = read_csv(self.path("old.csv"))
        self.assertEqual([(r[0], r[3], r[14], r[15]) for r in rows[1:]],
                         [("", "4-72", "2", "早期布置, 无记录")] * 2 +
                         [("", "9-19", "1", "早期布置, 无记录")])
        self.assertTrue(all(r[7] and r[12] for r in rows[1:]), "the catalogue fills flow, motor")

    def test_tags_stay_unique_and_the_schedule_lists_every_fan_in_tag_order(self):
        self.fancad(PLACE)
        doc = ezdxf.readfile(self.path("old.dxf"))
        self.assertEqual([tag_of(f) for f in fans(doc)], ["F-1", "F-2", "F-3"])
        placed_data = {f.dxf.handle: [f.get_xdata(app) for app in PLACEMENT] for f in fans(doc)}
        first = fans(doc)[0].dxf.handle
        self.fancad("COPY", "h " + first, "", "0,0", "0,2000", "",
                    "ERASE", "h " + fans(doc)[1].dxf.handle, "", "UNDO", "",
                    "MOVE", "h " + first, "", "0,0", "100,100",
                    "FANSCHED", "0,-3000", "FANSCHED", "", "FANSCHED", "c", "s.csv",
                    "FANSCHED", "x", "s", "SAVEAS out.dxf", args=[self.path("old.dxf")])
        self.assertDrawingClean(self.path("out.dxf"))
        out = ezdxf.readfile(self.path("out.dxf"))
        placed = fans(out)
        self.assertEqual([tag_of(f) for f in placed], ["F-1", "F-2", "F-3", "F-4"])
        self.assertEqual([record_tag(f) for f in placed], ["F-1", "F-2", "F-3", "F-4"])
        for f in placed:
            self.assertEqual([f.get_xdata(app) for app in PLACEMENT], placed_data.get(f.dxf.handle, placed_data[first]))
        tables = [e for e in out.modelspace() if e.dxftype() == "INSERT"
                  and e.dxf.name == "FAN_SCHEDULE"]
        self.assertEqual(len(tables), 1, "FANSCHED again keeps the one table")
        self.assertEqual(tuple(tables[0].dxf.insert), (0, -3000, 0))
        rows = read_csv(self.path("s.csv"))
        self.assertEqual([r[0] for r in rows[1:]], ["F-1", "F-2", "F-3", "F-4"])
        self.assertEqual([r[2] for r in rows[1:]], [f.get_xdata("LabelModel")[0].value
                                                    for f in placed])
        self.assertEqual(table_rows(out), [[c for c in r if c] for r in rows])
        sheet = openpyxl.load_workbook(self.path("s.xlsx")).active
        self.assertEqual([[c or "" for c in r] for r in sheet.iter_rows(values_only=True)], rows)
        # Reopened, the drawing gives the same schedule; a file that cannot be made says why.
        for target, status in (("again.csv", 0), ("/nonexistent/s.csv", 1)):
            r = subprocess.run([e2e.ARGS.fancad, "--schedule", target, "out.dxf"], cwd=self.dir,
                               capture_output=True, text=True, timeout=60)
            self.assertEqual(r.returncode, status, r.stdout + r.stderr)
        self.assertEqual(read_csv(self.path("again.csv")), rows)
        self.assertIn("cannot write the schedule '/nonexistent/s.csv'", r.stderr)

    def test_fansheet_writes_a_placed_fans_sheet_at_its_recorded_duty_or_its_rated_point(self):
        self.fancad(PLACE)
        os.mkdir(self.path("folder.pdf"))
        with open(self.path("kept.pdf"), "w") as f:
            f.write("old")
        os.chmod(self.path("kept.pdf"), stat.S_IRUSR | stat.S_IRGRP)
        near = lambda x: "c %d,-5 %d,5" % (x - 5, x + 5)
        out = self.fancad("FANSHEET", near(1000), "", "", "FANSHEET", near(5000), "", "duty",
                          "FANSHEET", near(1000), "", "folder.pdf",
                          "FANSHEET", near(1000), "", "kept", "FANSCHED", "c", "s.csv",
                          args=[self.path("old.dxf")])
        self.assertIn("数据表文件 <%s>" % self.path("F-1.pdf"), out)
        for name in ("folder.pdf", "kept.pdf"):
            self.assertIn("无法写入数据表文件 %s: " % name, out)
        self.assertEqual(os.listdir(self.path("folder.pdf")), [])
        with open(self.path("kept.pdf")) as f:
            self.assertEqual(f.read(), "old")
        rows = {r[0]: r for r in read_csv(self.path("s.csv"))}
        head = rows["编号"]
        flow, pressure, parts = (head.index(h) for h in ("风量m³/h", "全压Pa", "附件"))
        fan = next(f for f in fans(ezdxf.readfile(self.path("old.dxf"))) if tag_of(f) == "F-1")
        # The placed block's curves give the overall size; its tag's attribute is no part of it.
        block = ezdxf.readfile(self.path("old.dxf")).blocks.get(fan.dxf.name)
        box = ezdxf.bbox.extents(e for e in block if e.dxftype() not in ("ATTDEF", "TEXT"))
        size = "外形尺寸 宽 %.0f × 高 %.0f mm" % (box.size.x, box.size.y)
        for tag, file, basis, shown in (
                ("F-1", "F-1.pdf", "没有记录设计点", "设计点: 风量 %s m3/h, 全压 %s Pa"),
                ("F-3", "duty.pdf", "图中风机记录的设计点", "工作风量m3/h: %s")):
            text = subprocess.run(["pdftotext", "-layout", self.path(file), "-"],
                                  capture_output=True, text=True, check=True).stdout
            text = re.sub(r" {2,}", "  ", text)
            self.assertRegex(text, r"风机数据表\s+%s\s" % tag)
            self.assertIn(basis, text)
            # The schedule lists the fan at the same point: the rated one, or its duty's.
            values = (rows[tag][flow], rows[tag][pressure]) if tag == "F-1" else (rows[tag][flow],)
            self.assertIn(shown % values, text)
            for item in rows[tag][parts].split("; "):
                self.assertIn(item.split(" ")[0], text)
            if tag == "F-1":
                self.assertIn(size, text)
                self.assertNotIn("外形尺寸 宽 0 ", text)


if __name__ == "__main__":
    sys.exit(e2e.main("--checker", sample=False))
