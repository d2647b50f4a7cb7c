#!/usr/bin/python3
"""The FAN command end to end: scripts through `fancad --headless`, checked
against the catalogue each scenario builds from the generated sample."""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

FANCAD = FANGEN = None
SAMPLE = None  # a generated sample catalogue, copied for each scenario


def text_of(value):
    """A field's text as the data layer shows it: 4.0 is "4", NULL is None."""
    if value is None:
        return None
    if isinstance(value, float):
        return str(int(value)) if value.is_integer() else "%.15g" % value
    return str(value)


def combo_order(values):
    """The order of a sorted combo: ordinal, ASCII letters folded, ties kept."""
    fold = lambda s: "".join(c.upper() if "a" <= c <= "z" else c for c in s)
    return sorted(values, key=fold)


def distinct(values):
    out = []
    for v in values:
        if v is not None and v not in out:
            out.append(v)
    return out


class Catalogue:
    """The sample catalogue in a data folder. With ZR_TEST_PG (and FANCAT, the
    fancat program) set, it lives in a schema of its own on that server and the
    folder's ZRFan.Mdb holds its address; questions and changes go through a
    file copied from the server (and back, after a change). The copy is taken
    again only after fancad has run, the one other writer."""

    _count = 0

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.path = os.path.join(folder, "ZRFan.Mdb")
        shutil.copy(SAMPLE, self.path)
        self.url = None
        self._copied_after = None  # the value of _fancad_runs when copied
        server = os.environ.get("ZR_TEST_PG")
        if server:
            Catalogue._count += 1
            self.url = "%s&options=-csearch_path%%3De2e_%d_%d" % (server, os.getpid(),
                                                                 Catalogue._count)
            self.path = os.path.join(os.path.dirname(folder), "catalogue-copy.db")
            os.replace(os.path.join(folder, "ZRFan.Mdb"), self.path)
            self._fancat("export", self.path, self.url)
            self._copied_after = _fancad_runs
            with open(os.path.join(folder, "ZRFan.Mdb"), "w") as f:
                f.write(self.url + "\n")

    def _fancat(self, *args):
        subprocess.run([os.environ["FANCAT"], *args], check=True, capture_output=True)

    def _refresh(self):
        if self.url and self._copied_after != _fancad_runs:
            self._fancat("import", self.url, self.path)
            self._copied_after = _fancad_runs

    def sql(self, statement, *args):
        self._refresh()
        with sqlite3.connect(self.path) as db:
            rows = db.execute(statement, args).fetchall()
        if self.url and not statement.lstrip().upper().startswith("SELECT"):
            self._fancat("export", self.path, self.url)
        return rows

    def column(self, column, where="1", *args):
        rows = self.sql('SELECT "%s" FROM Model WHERE %s ORDER BY rowid' % (column, where), *args)
        return distinct(text_of(r[0]) for r in rows)

    def model_id(self, series, fan_no, drive, speed):
        for row in self.sql("SELECT ID, FanNo, Speed FROM Model WHERE BigModel=? AND DriveMode=?"
                            " ORDER BY rowid", series, drive):
            if text_of(row[1]) == fan_no and text_of(row[2]) == speed:
                return row[0]
        return None

    def table(self, name, model_id):
        self._refresh()
        cur = sqlite3.connect(self.path).execute(
            'SELECT * FROM "%s" WHERE ModelID=? ORDER BY rowid' % name, (model_id,))
        fields = [d[0] for d in cur.description]
        return fields, [[text_of(v) for v in row] for row in cur.fetchall()]

    def heading(self, field):
        rows = self.sql("SELECT TableHead FROM IndexTableName WHERE IndexName=? ORDER BY rowid",
                        field)
        return rows[0][0] if rows else None


_fancad_runs = 0


def run(lines, datalib):
    global _fancad_runs
    _fancad_runs += 1
    env = dict(os.environ, ZR_DATALIB=datalib)
    proc = subprocess.run([FANCAD, "--headless", "--script", "/dev/stdin"],
                          input="\n".join(lines) + "\n", capture_output=True, text=True,
                          env=env, timeout=60)
    return proc


def dumps(output):
    return [json.loads(line[5:]) for line in output.splitlines() if line.startswith("DUMP ")]


def control(dump, cid):
    return next(c for c in dump["controls"] if c["id"] == cid)


def grid(dump, gid):
    return next(g for g in dump["grids"] if g["id"] == gid)


class FanDialogTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="fan_e2e_")
        self.cat = Catalogue(os.path.join(self.tmp, "data"))

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def dialog(self, *lines, expect_dumps=None):
        proc = run(["FAN", *lines, "dlg cancel", "QUIT"], self.cat.folder)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        found = dumps(proc.stdout)
        if expect_dumps is not None:
            self.assertEqual(len(found), expect_dumps, proc.stdout)
        return found, proc.stdout

    def assert_cascade_matches_catalogue(self, dump):
        """Each list holds exactly the catalogue's values under the choices above it."""
        series = control(dump, 1012)["text"]
        fan_no = control(dump, 1014)["text"]
        drive = control(dump, 1015)["text"]
        self.assertEqual(control(dump, 1012)["items"], combo_order(self.cat.column("BigModel")))
        fan_nos = [v for v in self.cat.column("FanNo", "BigModel=?", series)]
        self.assertEqual(control(dump, 1014)["items"], combo_order(fan_nos))
        drives = distinct(r[0] for r in self.cat.sql(
            "SELECT DriveMode, FanNo FROM Model WHERE BigModel=? ORDER BY rowid", series)
            if text_of(r[1]) == fan_no)
        self.assertEqual(control(dump, 1015)["items"], combo_order(drives))
        speeds = distinct(text_of(r[1]) for r in self.cat.sql(
            "SELECT FanNo, Speed FROM Model WHERE BigModel=? AND DriveMode=? ORDER BY rowid",
            series, drive) if text_of(r[0]) == fan_no)
        self.assertEqual(control(dump, 1016)["items"], combo_order(speeds))
        self.assertEqual(control(dump, 1012)["text"],
                         control(dump, 1012)["items"][control(dump, 1012)["sel"]])
        for cid in (1014, 1015, 1016):
            c = control(dump, cid)
            self.assertEqual(c["sel"], 0)
            self.assertEqual(c["text"], c["items"][0])

    def assert_grid_shows(self, dump, gid, table):
        """Heading row, rows numbered 1..n in table order, one empty spare row."""
        model_id = self.cat.model_id(*(control(dump, c)["text"] for c in (1012, 1014, 1015, 1016)))
        fields, rows = self.cat.table(table, model_id)
        g = grid(dump, gid)
        self.assertTrue(rows, "scenario needs a model with rows in " + table)
        self.assertEqual((g["rows"], g["cols"], g["fixedRows"], g["fixedCols"]),
                         (len(rows) + 2, len(fields), 1, 1))
        self.assertEqual(g["cells"][0], [""] + [self.cat.heading(f) for f in fields[1:]])
        for r, row in enumerate(rows, start=1):
            self.assertEqual(g["cells"][r], [str(r)] + [v or "" for v in row[1:]])
        self.assertEqual(g["cells"][-1], [""] * len(fields))

    def test_opening_shows_the_defaults(self):
        (dump,), _ = self.dialog("dlg dump", expect_dumps=1)
        self.assertEqual(dump["caption"], "风机选型布置")
        for cid, text in ((1000, "101325"), (1001, "20"), (1002, "1131"), (1003, "990")):
            self.assertEqual(control(dump, cid)["text"], text)
            self.assertFalse(control(dump, cid)["enabled"])
        self.assertTrue(control(dump, 203)["checked"])
        self.assertFalse(control(dump, 202)["checked"])
        self.assertTrue(control(dump, 1026)["checked"])
        self.assertEqual(control(dump, 1018)["text"], "左")
        self.assertEqual(control(dump, 1018)["items"], ["左", "右"])
        self.assertEqual(control(dump, 1017)["text"], "0")
        self.assert_cascade_matches_catalogue(dump)

    def test_every_series_reloads_the_lists_below_it_and_both_grids(self):
        series = combo_order(self.cat.column("BigModel"))
        lines = []
        for s in series:
            lines += ["dlg select 1012 " + s, "dlg dump"]
        found, out = self.dialog(*lines, expect_dumps=len(series))
        for s, dump in zip(series, found):
            with self.subTest(series=s):
                self.assertEqual(control(dump, 1012)["text"], s)
                self.assert_cascade_matches_catalogue(dump)
                self.assert_grid_shows(dump, 5003, s + "_Parameter")
                drive = control(dump, 1015)["text"]
                self.assert_grid_shows(dump, 5005, "%s_%s_Accessory" % (s, drive))

    def test_speeds_sort_as_text_and_letter_case_makes_distinct_values(self):
        base = self.cat.sql("SELECT MAX(ID) FROM Model")[0][0]
        for i, (drive, speed) in enumerate((("a", 1450), ("A", 960), ("A", 1450), ("A", 960))):
            self.cat.sql("INSERT INTO Model VALUES (?, 'ZT', ?, 5, ?, '')", base + 1 + i, drive,
                         speed)
        found, _ = self.dialog("dlg select 1012 ZT", "dlg select 1015 A", "dlg dump",
                               expect_dumps=1)
        dump = found[0]
        self.assertEqual(sorted(control(dump, 1015)["items"]), ["A", "a"])
        self.assertEqual(control(dump, 1016)["items"], ["1450", "960"])
        self.assertEqual(control(dump, 1016)["text"], "1450")

    def test_an_empty_model_table_leaves_everything_empty(self):
        self.cat.sql("DELETE FROM Model")
        (dump,), out = self.dialog("dlg dump", expect_dumps=1)
        self.assertNotIn("MSGBOX", out)
        for cid in (1012, 1014, 1015, 1016):
            self.assertEqual((control(dump, cid)["items"], control(dump, cid)["text"]), ([], ""))
        for gid in (5003, 5005):
            self.assertEqual(grid(dump, gid)["cols"], 0)
            self.assertEqual(set(sum(grid(dump, gid)["cells"], [])), set())

    def test_a_series_without_fan_numbers_leaves_the_lower_lists_and_grids(self):
        self.cat.sql("UPDATE Model SET FanNo = NULL WHERE BigModel = '9-19'")
        before, after = self.dialog("dlg dump", "dlg select 1012 9-19", "dlg dump",
                                    expect_dumps=2)[0]
        self.assertEqual(control(after, 1014)["items"], [])
        self.assertEqual(control(after, 1014)["text"], "")
        for cid in (1015, 1016):
            self.assertEqual(control(after, cid)["items"], control(before, cid)["items"])
        self.assertEqual(after["grids"], before["grids"])

    def test_a_field_without_heading_stops_the_load_with_the_grid_partly_filled(self):
        self.cat.sql("DELETE FROM IndexTableName WHERE IndexName = 'Efficiency'")
        (dump,), out = self.dialog("dlg select 1012 9-19", "dlg dump", expect_dumps=1)
        self.assertNotIn("MSGBOX", out)
        fields, rows = self.cat.table("9-19_Parameter", self.cat.model_id(
            *(control(dump, c)["text"] for c in (1012, 1014, 1015, 1016))))
        stop = fields.index("Efficiency")
        g = grid(dump, 5003)
        self.assertEqual((g["rows"], g["cols"]), (len(rows) + 2, len(fields)))
        self.assertEqual(g["cells"][0][1:stop], [self.cat.heading(f) for f in fields[1:stop]])
        self.assertEqual(g["cells"][1][1:stop], [v or "" for v in rows[0][1:stop]])
        self.assertEqual(set(g["cells"][0][stop:] + g["cells"][1][stop:]), {""})
        self.assertEqual(g["cells"][1][0], "", "the row number is set only after a whole row")
        self.assertEqual(set(sum(g["cells"][2:], [])), {""})

    def test_a_model_without_accessories_empties_the_accessory_grid(self):
        (first,), _ = self.dialog("dlg select 1012 4-72", "dlg dump", expect_dumps=1)
        series, fan_no, drive = (control(first, c)["text"] for c in (1012, 1014, 1015))
        speeds = control(first, 1016)["items"]
        self.assertGreater(len(speeds), 1, "scenario needs two speeds")
        bare = self.cat.model_id(series, fan_no, drive, speeds[1])
        self.cat.sql('DELETE FROM "%s_%s_Accessory" WHERE ModelID = ?' % (series, drive), bare)
        found, _ = self.dialog("dlg select 1012 4-72", "dlg dump", "dlg select 1016 " + speeds[1],
                               "dlg dump", expect_dumps=2)
        self.assertGreater(grid(found[0], 5005)["rows"], 0)
        self.assertEqual((grid(found[1], 5005)["rows"], grid(found[1], 5005)["cols"]), (0, 0))
        self.assertGreater(grid(found[1], 5003)["rows"], 0)

    def test_a_speed_that_names_no_model_leaves_both_grids_empty(self):
        """The model disappears from the catalogue (another host) while the dialog is up."""
        env = dict(os.environ, ZR_DATALIB=self.cat.folder)
        proc = subprocess.Popen([FANCAD, "--headless"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True, env=env)

        def dump_now():
            proc.stdin.write("dlg dump\n")
            proc.stdin.flush()
            while True:
                line = proc.stdout.readline()
                self.assertTrue(line, "fancad ended early")
                if line.startswith("DUMP "):
                    return json.loads(line[5:])

        try:
            proc.stdin.write("FAN\n")
            dump = dump_now()
            key = [control(dump, c)["text"] for c in (1012, 1014, 1015)]
            speed = control(dump, 1016)["items"][-1]
            self.cat.sql("DELETE FROM Model WHERE ID = ?", self.cat.model_id(*key, speed))
            proc.stdin.write("dlg select 1016 %s\n" % speed)
            dump = dump_now()
            for gid in (5003, 5005):
                self.assertEqual((grid(dump, gid)["rows"], grid(dump, gid)["cols"]), (0, 0))
            proc.stdin.write("dlg cancel\nQUIT\n")
            proc.stdin.close()
            self.assertEqual(proc.wait(timeout=30), 0)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()

    def test_a_missing_catalogue_is_reported_and_the_dialog_opens_empty(self):
        missing = os.path.join(self.tmp, "nowhere")
        proc = run(["FAN", "msg ok", "dlg dump", "dlg cancel", "QUIT"], missing)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        boxes = [json.loads(l[7:]) for l in proc.stdout.splitlines() if l.startswith("MSGBOX ")]
        # The open reports the missing file; the first query then finds no
        # connection and the wrapper reports that statement too.
        self.assertEqual([b["text"] for b in boxes],
                         ["数据库" + missing + "\\ZRFan.Mdb不存在!",
                          "数据库操作错误!\nSELECT * FROM Model"])
        (dump,) = dumps(proc.stdout)
        for cid in (1012, 1014, 1015, 1016):
            self.assertEqual(control(dump, cid)["items"], [])

    def test_a_damaged_catalogue_is_reported_once_and_the_dialog_opens_empty(self):
        with open(os.path.join(self.cat.folder, "ZRFan.Mdb"), "wb") as f:
            f.write(b"Standard Jet DB\0" + bytes(range(256)) * 8)
        proc = run(["FAN", "dlg dump", "dlg cancel", "QUIT"], self.cat.folder)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        boxes = [json.loads(l[7:]) for l in proc.stdout.splitlines() if l.startswith("MSGBOX ")]
        self.assertEqual(len(boxes), 2, proc.stdout)
        self.assertEqual(boxes[0]["text"], "连接数据库失败!\nDRIVER=Microsoft Access Driver (*.mdb);DBQ="
                         + self.cat.folder + "\\ZRFan.Mdb;UID=sa;PWD=")
        self.assertEqual(boxes[1]["text"], "数据库操作错误!\nSELECT * FROM Model")
        self.assertEqual(control(dumps(proc.stdout)[0], 1012)["items"], [])

    def test_fan_twice_starts_from_the_defaults_both_times(self):
        proc = run(["FAN", "dlg dump", "dlg select 1012 9-19", "dlg select 1018 右",
                    "dlg click 1028", "dlg type 1017 45", "dlg ok",
                    "FAN", "dlg dump", "dlg ok", "QUIT"], self.cat.folder)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        first, second = dumps(proc.stdout)
        self.assertEqual(first, second)

    def test_after_unloading_the_module_fan_is_an_unknown_command(self):
        proc = run(["APPUNLOAD zrfan", "FAN", "QUIT"], self.cat.folder)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertIn('Unknown command "FAN".', proc.stdout)

    def test_the_view_drawing_and_placement_buttons_are_enabled(self):
        (dump,), _ = self.dialog("dlg dump", expect_dumps=1)
        for cid in (204, 206, 1008):
            self.assertTrue(control(dump, cid)["enabled"], cid)

    def test_a_dlg_line_naming_a_missing_item_stops_the_script(self):
        proc = run(["FAN", "dlg select 1012 NO-SUCH-SERIES", "dlg cancel", "QUIT"],
                   self.cat.folder)
        self.assertEqual(proc.returncode, 1)
        self.assertIn("line 2", proc.stderr)


def run_suite(prefix, extra_options=(), setup=None):
    """Runs the unittest cases of __main__ against a freshly generated sample catalogue.

    Takes --fancad and --fangen (and each of extra_options) from the command
    line; setup(args, sample_path), when given, may return a reason not to run.
    """
    global FANCAD, FANGEN, SAMPLE
    parser = argparse.ArgumentParser()
    parser.add_argument("--fancad", required=True)
    parser.add_argument("--fangen", required=True)
    for option in extra_options:
        parser.add_argument(option, required=True)
    args, rest = parser.parse_known_args()
    FANCAD, FANGEN = args.fancad, args.fangen
    sample_dir = tempfile.mkdtemp(prefix=prefix)
    try:
        subprocess.run([FANGEN, "--out", sample_dir], check=True, capture_output=True)
        SAMPLE = os.path.join(sample_dir, "ZRFan.Mdb")
        problem = setup(args, SAMPLE) if setup else None
        if problem:
            print(problem)
            return 1
        prog = unittest.main(module="__main__", argv=[sys.argv[0]] + rest, exit=False,
                             verbosity=2)
        return 0 if prog.result.wasSuccessful() else 1
    finally:
        shutil.rmtree(sample_dir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run_suite("fan_e2e_sample_"))
