#!/usr/bin/python3
"""fancat load, dump and check on real files: a spreadsheet written here with openpyxl
(Chinese series, units other than the catalogue's, a bad cell in row 7) refused whole and
then loaded, and the result read by fancad's FAN dialog and FANDUTY; dump -> load of the
sample giving the same tables; check clean on the sample and finding exactly each fault
planted in a copy.

Hand-worked values of the loaded file: 1.2 m3/s is 4320 m3/h, 1.45 kPa is 1450 Pa,
60 L/s is 216 m3/h, 100 mmH2O is 980.665 Pa, 2000 W is 2 kW."""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

import openpyxl

ARGS = None

HEADER = ["系列", "机号", "传动方式", "转速", "风量 m³/s", "全压(kPa)", "flow low L/s",
          "flow high L/s", "total pressure low mmH2O", "total pressure high mmH2O", "效率 %",
          "shaft power W", "电机型号", "电机功率 kW"]
POINT = "节能4-72"  # a point-table series
RANGE = "高压9-26"  # a range-table series
CURVE = [(1.0, 1.50, 80), (1.2, 1.45, 84), (1.4, 1.38, 86), (1.6, 1.28, 85), (1.8, 1.15, 82)]


def curve_rows(speed):
    """The point series' No4 at speed, by the fan laws from its 2900 r/min curve; shaft
    power (W) is flow x pressure / efficiency, so that check finds it consistent."""
    r = speed / 2900
    rows = []
    for q, p, eta in CURVE:
        q, p = q * r, p * r * r
        rows.append([POINT, 4, "直联", speed, q, p, None, None, None, None, eta,
                     round(q * p * 1e5 / eta, 3), "Y132S1-2", 5.5])
    return rows


def spreadsheet(path, bad_row7):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "performance"
    ws.append(HEADER)
    for row in curve_rows(2900) + curve_rows(1450):
        ws.append(row)
    if bad_row7:  # row 7: the 1450 model's first point, its total pressure not a number
        ws.cell(row=7, column=6, value="1,2x")
    for low, high, p_low, p_high in ((60, 90, 100, 120), (90, 120, 80, 100)):
        eta = 78
        power = high * 3.6 * p_high * 9.80665 / (3.6e6 * eta / 100) * 1000
        ws.append([RANGE, 5, "皮带", 1800, None, None, low, high, p_low, p_high, eta,
                   round(power, 3), "Y160M-4", 11])
    acc = wb.create_sheet("accessories")
    acc.append(["series", "fan number", "drive mode", "speed", "item", "规格型号",
                "quantity", "remark"])
    acc.append([POINT, 4, "直联", 2900, "减振器", "JG2-4", 4, None])
    wb.save(path)


def fancat(*args):
    return subprocess.run([ARGS.fancat, *args], capture_output=True, text=True, timeout=120)


def tables(path):
    """Every table: its columns (name, type, key) and its rows in rowid order."""
    with sqlite3.connect(path) as db:
        names = [r[0] for r in db.execute("SELECT name FROM sqlite_master WHERE type='table'")]
        return {t: ([r[1:3] + (r[5],) for r in db.execute('PRAGMA table_info("%s")' % t)],
                    db.execute('SELECT * FROM "%s" ORDER BY rowid' % t).fetchall())
                for t in names}


def psql(url, sql):
    return subprocess.run(["psql", "-X", "-At", "-v", "ON_ERROR_STOP=1", "-d", url], input=sql,
                          check=True, capture_output=True, text=True).stdout.splitlines()


def server_tables(url):
    """tables() of the schema url names: columns (name, type, not null), rows by rowid."""
    q = ("SELECT json_build_array((SELECT json_agg(json_build_array(attname, format_type("
         "atttypid, atttypmod), attnotnull) ORDER BY attnum) FROM pg_attribute WHERE attrelid ="
         " '\"{0}\"'::regclass AND attnum > 0 AND NOT attisdropped AND attname <> 'rowid'), "
         "(SELECT json_agg(to_jsonb(t) - 'rowid' ORDER BY rowid) FROM \"{0}\" t));")
    names = psql(url, "SELECT relname FROM pg_class WHERE relkind = 'r' AND relnamespace = "
                      "current_schema()::regnamespace ORDER BY 1;")
    return dict(zip(names, map(json.loads, psql(url, "".join(q.format(n) for n in names)))))


class FancatTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="fancat_")
        self.cat = os.path.join(self.dir, "data", "ZRFan.Mdb")
        os.makedirs(os.path.dirname(self.cat))
        shutil.copy(ARGS.sample, self.cat)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def test_a_bad_cell_refuses_the_file_and_the_corrected_one_reads_as_the_module_expects(self):
        before = tables(self.cat)
        sheet = self.path("新风机.xlsx")
        spreadsheet(sheet, bad_row7=True)
        r = fancat("load", sheet, self.cat)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("row 7, column F (全压(kPa)): '1,2x' is not a number", r.stderr)
        self.assertIn("nothing was loaded (1 problems)", r.stderr)
        self.assertEqual(tables(self.cat), before)

        spreadsheet(sheet, bad_row7=False)
        r = fancat("load", sheet, self.cat)
        self.assertEqual(r.returncode, 0, r.stderr)
        with sqlite3.connect(self.cat) as db:
            models = db.execute("SELECT ID, BigModel, DriveMode, FanNo, Speed, LabelModel FROM "
                                "Model WHERE ID > 98 ORDER BY rowid").fetchall()
            self.assertEqual(models, [(99, POINT, "直联", 4.0, 2900, POINT + "No4直联"),
                                      (100, POINT, "直联", 4.0, 1450, POINT + "No4直联"),
                                      (101, RANGE, "皮带", 5.0, 1800, RANGE + "No5皮带")])
            second = db.execute('SELECT ModelID, PointNo, Speed, Flux, AllPress, Efficiency, '
                                'ShaftPower, MotorPower FROM "%s_Parameter" WHERE ID = 2' % POINT)
            got = second.fetchone()
            self.assertEqual(got[:3], (99, 2, 2900))
            for value, want in zip(got[3:], (4320, 1450, 84, 4320 * 1450 / 3.6e6 / 0.84, 5.5)):
                self.assertAlmostEqual(value, want, places=3)
            ranges = db.execute('SELECT FluxLow, FluxHigh, AllPressLow, AllPressHigh FROM '
                                '"%s_Parameter" ORDER BY rowid' % RANGE).fetchall()
            self.assertEqual([tuple(round(v, 3) for v in r) for r in ranges],
                             [(216, 324, 980.665, 1176.798), (324, 432, 784.532, 980.665)])
            self.assertEqual(db.execute("SELECT * FROM Model_Table_Parameter_Style WHERE "
                                        "BigModel IN (?, ?)", (POINT, RANGE)).fetchall(),
                             [(POINT, 1), (RANGE, 0)])
            self.assertEqual(db.execute('SELECT ModelID, ItemName, Quantity FROM "%s_直联_Accessory"'
                                        % POINT).fetchall(), [(99, "减振器", 4)])
            self.assertEqual(db.execute('SELECT count(*) FROM "%s_皮带_Accessory"' % RANGE)
                             .fetchone(), (0,))
        self.assertEqual(fancat("check", self.cat).returncode, 0)

        out = subprocess.run(
            [ARGS.fancad, "--headless", "--script", "/dev/stdin"],
            input="\n".join(["FAN", "dlg select 1012 " + POINT, "dlg dump", "dlg cancel",
                             "FANDUTY", "5000", "1300", "", "", "", "QUIT"]) + "\n",
            capture_output=True, text=True, timeout=120,
            env=dict(os.environ, ZR_DATALIB=os.path.dirname(self.cat)))
        self.assertEqual(out.returncode, 0, out.stderr)
        dump = json.loads(next(l[5:] for l in out.stdout.splitlines() if l.startswith("DUMP ")))
        grid = next(g for g in dump["grids"] if g["id"] == 5003)
        self.assertEqual(grid["cells"][0][1:5], ["风机编号", "序号", "转速r/min", "风量m³/h"])
        # The dialog shows the first speed of its sorted list, 1450, with five points.
        self.assertEqual(grid["rows"], 5 + 2)
        self.assertEqual(grid["cells"][1][1:6], ["100", "1", "1450", "1800", "375"])
        # FANDUTY finds the new curve reaching 5000 m3/h at 1300 Pa.
        self.assertRegex(out.stdout.split("FANDUTY", 1)[-1], POINT + r"\s+4\s+直联\s+2900\s+5\d{3}")

    def test_dump_then_load_into_an_empty_catalogue_gives_the_same_tables(self):
        for name in ("dump.csv", "dump.xlsx"):
            with self.subTest(name):
                back = self.path(name + ".mdb")
                self.assertEqual(fancat("dump", self.cat, self.path(name)).returncode, 0)
                r = fancat("load", self.path(name), back)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(tables(back), tables(self.cat))

    def test_check_is_clean_on_the_sample_and_finds_exactly_each_planted_fault(self):
        dwg = self.path("dwg")
        shutil.copytree(ARGS.dwg, dwg)
        r = fancat("check", self.cat, "--dwg", dwg)
        self.assertEqual((r.returncode, r.stdout), (0, "fancat: 0 findings\n"))
        shutil.copy(self.cat, self.path("clean.mdb"))
        p = '"%s_Parameter"'
        # rule, the fault (SQL on a copy), the table and row the finding names (None: any)
        cases = [
            ("model-incomplete", "INSERT INTO Model (ID, BigModel) VALUES (500, '4-72')",
             ("Model", 99)),
            ("model-duplicate", "INSERT INTO Model SELECT * FROM Model WHERE ID = 3",
             ("Model", 99)),
            ("series-style", "DELETE FROM Model_Table_Parameter_Style WHERE BigModel = '11-62'",
             None),
            ("orphan-row", "INSERT INTO %s (ModelID) VALUES (999)" % (p % "4-72"),
             ("4-72_Parameter", 225)),
            ("orphan-row", 'UPDATE "T4-72_皮带_Accessory" SET ModelID = 1 WHERE ID = 2',
             ("T4-72_皮带_Accessory", 2)),
            ("model-without-rows", "DELETE FROM %s WHERE ModelID = 62" % (p % "11-62"), None),
            ("heading-missing", "DELETE FROM IndexTableName WHERE IndexName = 'MotorModel'",
             None),
            ("efficiency-range", "UPDATE %s SET Efficiency = 0 WHERE ID = 5" % (p % "4-72"),
             ("4-72_Parameter", 5)),
            ("shaft-power", "UPDATE %s SET ShaftPower = ShaftPower * 2 WHERE ID = 5"
             % (p % "4-72"), ("4-72_Parameter", 5)),
            # Model 45's peak is its second point; its fifth rises 1 Pa above its fourth (2 %,
            # within the power and fan-law tolerances).
            ("curve-falls", "UPDATE {0} SET AllPress = (SELECT AllPress FROM {0} WHERE ID = 4)"
             " + 1 WHERE ID = 5".format(p % "9-19"), ("9-19_Parameter", 5)),
            # One of No4.5's five speeds with pressure and power both 20 % high.
            ("fan-laws", "UPDATE %s SET AllPress = AllPress * 1.2, ShaftPower = ShaftPower * "
             "1.2 WHERE ModelID = 10" % (p % "4-72"), None),
        ]
        for rule, fault, where in cases:
            with self.subTest(rule=rule, fault=fault):
                copy = self.path("fault.mdb")
                shutil.copy(self.path("clean.mdb"), copy)
                with sqlite3.connect(copy) as db:
                    db.execute(fault)
                r = fancat("check", copy, "--json")
                self.assertEqual(r.returncode, 1, r.stderr)
                found = json.loads(r.stdout)["findings"]
                self.assertEqual({f["rule"] for f in found}, {rule}, found)
                if where:
                    self.assertEqual([(f["table"], f["row"]) for f in found], [where])
        os.remove(os.path.join(dwg, "Fan", "9-19No5C.dwg"))
        r = fancat("check", self.cat, "--dwg", dwg)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stdout.splitlines()[-1], "fancat: 1 findings")
        self.assertRegex(r.stdout, r"^drawing-missing: model \d+ \(9-19 No5 C \d+\), no view "
                                   r"drawing .*9-19No5C\.dwg \(2 models use it\)")
        with open(self.path("broken.mdb"), "wb") as f:
            f.write(b"not a database")
        self.assertEqual(fancat("check", self.path("broken.mdb")).returncode, 2)


@unittest.skipUnless(os.environ.get("ZR_TEST_PG"), "no test server (ZR_TEST_PG)")
class FancatServerTest(unittest.TestCase):
    path, tearDown = FancatTest.path, FancatTest.tearDown

    def setUp(self):  # each catalogue in a schema of its own (the server is thrown away)
        FancatTest.setUp(self)
        self.url = self.schema("sample")
        self.assertEqual(fancat("export", self.cat, self.url).returncode, 0)

    def schema(self, name):
        return "%s&options=-csearch_path%%3Df%d_%s_%s" % (os.environ["ZR_TEST_PG"], os.getpid(),
                                                       self._testMethodName[5:9], name)

    def test_dump_then_load_into_an_empty_catalogue_gives_the_same_tables(self):
        fancat("template", self.path("empty.csv"))
        fancat("load", self.path("empty.csv"), self.path("empty.mdb"))
        back = self.schema("back")
        self.assertEqual(fancat("export", self.path("empty.mdb"), back).returncode, 0)
        psql(back, 'DELETE FROM "IndexTableName";')  # a new file's ERRORNUM row
        self.assertEqual(fancat("dump", self.url, self.path("dump.xlsx")).returncode, 0)
        self.assertEqual(fancat("load", self.path("dump.xlsx"), back).returncode, 0)
        self.assertEqual(server_tables(back), server_tables(self.url))

    def test_a_load_that_fails_leaves_the_tables_unchanged(self):
        spreadsheet(self.path("bad.xlsx"), bad_row7=True)
        # A new 4-72 model, whose point the server refuses after its Model row is written.
        with open(self.path("new.csv"), "w") as f:
            f.write("系列,机号,传动方式,转速,风量,全压\n4-72,4,C,1234,1,2\n")
        psql(self.url, 'ALTER TABLE "4-72_Parameter" ADD CHECK ("Speed" <> 1234);')
        before = server_tables(self.url)
        for name, why in (("bad.xlsx", "is not a number"), ("new.csv", "CHECK constraint failed")):
            r = fancat("load", self.path(name), self.url)
            self.assertEqual((r.returncode, why in r.stderr), (1, True), r.stderr)
            self.assertEqual(server_tables(self.url), before, name)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("--fancat", "--fancad", "--sample", "--dwg"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest])
