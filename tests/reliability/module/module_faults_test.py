#!/usr/bin/python3
"""The fan module under careless use, end to end through `fancad --headless`: catalogue
files in WAL mode or read-only, numbers beyond a double, the model editor changing the
model the dialog shows, absurd FANDUTY answers, placement from a damaged view drawing and
placement given up. Each scenario runs on a copy of the sample library's catalogue; the
dialog opens on its model 63, 11-62 No.3.6 A 1450.

Usage: module_faults_test.py --fancad BIN --samplelib DIR [unittest args]"""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

import ezdxf

ARGS = None
PARAM = "11-62_Parameter"
OVERFLOW = "超出当前范围。"
# Root without these capabilities is held to file modes as any user is.
AS_USER = (["setpriv", "--bounding-set", "-dac_override,-dac_read_search,-fowner",
            "--inh-caps", "-dac_override,-dac_read_search,-fowner"] if os.geteuid() == 0 else [])


def boxes(out):
    return [json.loads(l[7:])["text"] for l in out.splitlines() if l.startswith("MSGBOX ")]


def dumps(out):
    return [json.loads(l[5:]) for l in out.splitlines() if l.startswith("DUMP ")]


def control(dump, cid):
    return next(c for c in dump["controls"] if c["id"] == cid)


class Scenario(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="module_faults_")
        self.catalogue("data")
        self.dwg = os.path.join(ARGS.samplelib, "dwg")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def catalogue(self, folder):
        """A fresh copy of the sample catalogue in a folder of its own, used from now on."""
        self.data = os.path.join(self.dir, folder)
        os.mkdir(self.data)
        self.db = os.path.join(self.data, "ZRFan.Mdb")
        shutil.copy(os.path.join(ARGS.samplelib, "data", "ZRFan.Mdb"), self.db)

    def start(self, prefix=()):
        return subprocess.Popen([*prefix, ARGS.fancad, "--headless"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                cwd=self.dir,
                                env=dict(os.environ, ZR_DATALIB=self.data, ZR_DWGLIB=self.dwg))

    def fancad(self, lines, prefix=()):
        out, err = self.start(prefix).communicate("\n".join(lines) + "\n", timeout=120)
        self.assertEqual(err, "")
        return out

    def sql(self, statement, path=None):
        db = sqlite3.connect(path or self.db)
        try:
            with db:
                return db.execute(statement).fetchall()
        finally:
            db.close()  # the last connection to a WAL file takes its log away

    def motors(self, path=None):
        return [r[0] for r in self.sql('SELECT MotorModel FROM "%s" ORDER BY rowid' % PARAM, path)]


class CatalogueFile(Scenario):
    def test_a_wal_catalogue_holds_every_edit_in_its_file_after_quit_and_after_appunload(self):
        self.sql("PRAGMA journal_mode=WAL")
        copy = os.path.join(self.dir, "copy.mdb")
        self.fancad(["FAN", "dlg grid 5003 edit 1 9 AT-QUIT", "dlg cancel", "QUIT"])
        self.assertFalse(os.path.exists(self.db + "-wal"))
        shutil.copy(self.db, copy)
        self.assertIn("AT-QUIT", self.motors(copy), "a copy of the file alone has the edit")
        host = self.start()
        host.stdin.write("FAN\ndlg grid 5003 edit 1 9 AT-UNLOAD\ndlg cancel\nAPPUNLOAD zrfan\n")
        host.stdin.flush()
        while "unloaded." not in host.stdout.readline():
            pass
        try:
            self.assertFalse(os.path.exists(self.db + "-wal"), "closed with the module")
            shutil.copy(self.db, copy)
            self.assertIn("AT-UNLOAD", self.motors(copy))
        finally:
            host.communicate("QUIT\n", timeout=60)

    def test_a_read_only_catalogue_is_read_and_a_grid_edit_says_it_is_read_only(self):
        for wal in (True, False):
            with self.subTest(wal=wal):
                self.catalogue("wal" if wal else "plain")
                if wal:
                    self.sql("PRAGMA journal_mode=WAL")
                before = self.motors()
                # A WAL catalogue in a folder that cannot be written; a file that cannot be.
                read_only = self.data if wal else self.db
                os.chmod(read_only, 0o555)
                try:
                    out = self.fancad(["FAN", "dlg dump", "dlg grid 5003 edit 1 9 NEW", "msg ok",
                                       "dlg cancel", "QUIT"], AS_USER)
                finally:
                    os.chmod(read_only, 0o755)
                (dump,) = dumps(out)
                self.assertEqual(control(dump, 1016)["text"], "1450", "the catalogue was read")
                (box,) = boxes(out)
                self.assertIn("只读", box)
                self.assertIn("ZRFan.Mdb", box)
                self.assertEqual(self.motors(), before)

    def test_numbers_beyond_a_double_are_refused_by_grid_and_model_editor(self):
        rows = [r[0] for r in self.sql("SELECT ID FROM Model ORDER BY rowid")]
        before = self.sql('SELECT * FROM "%s"' % PARAM), self.sql("SELECT * FROM Model")
        out = self.fancad(["FAN", "dlg grid 5003 edit 1 3 1e309", "msg ok", "dlg click 205",
                           "dlg grid 6000 edit %d 3 1e309" % (rows.index(63) + 1), "msg ok",
                           "dlg cancel", "dlg cancel", "QUIT"])
        self.assertEqual(boxes(out), [OVERFLOW, OVERFLOW])
        self.assertEqual((self.sql('SELECT * FROM "%s"' % PARAM), self.sql("SELECT * FROM Model")),
                         before)


class Duty(Scenario):
    def test_absurd_duty_answers_are_refused_and_asked_again(self):
        cases = [(0, "1e63", "风量须"), (1, "1e300", "全压须"), (2, "5000", "空气温度须"),
                 (2, "-300", "绝对零度"), (3, "1e308", "大气压力须")]
        lines = []
        for at, absurd, _ in cases:
            answers = ["1000", "500", "", ""]
            answers.insert(at, absurd)
            lines += ["FANDUTY", *answers, ""]
        runs = self.fancad(lines + ["QUIT"]).split("Command: FANDUTY")[1:]
        for (at, absurd, refusal), out in zip(cases, runs):
            with self.subTest(answer=absurd):
                self.assertIn(refusal, out)
                self.assertIn("设计点: 风量 1000 m3/h, 全压 500 Pa", out)
                self.assertIn("空气: 20 ℃, 101325 Pa, 密度 1.204 kg/m3", out)


class Placement(Scenario):
    def test_a_placement_given_up_leaves_only_what_it_made(self):
        # Given up at once, the block copied in and the layer made stay, and the drawing
        # has changed; given up after a placement of the same model, it made nothing and
        # the saved drawing has nothing unsaved.
        place = lambda point: ["dlg click 1008", "0", point]
        out = self.fancad(["FAN", *place("^C"), "dlg ok", "QUIT", "Cancel", "SAVEAS first.dxf",
                           "FAN", *place("10,10"), "dlg ok", "SAVE",
                           "FAN", *place("^C"), "dlg ok", "QUIT"])
        first_quit, last_quit = out.split("Command: QUIT")[1:]
        self.assertIn("Save changes", first_quit)
        self.assertNotIn("Save changes", last_quit)
        first = ezdxf.readfile(os.path.join(self.dir, "first.dxf"))
        self.assertIn("11-62No3.6AF_L0", first.blocks)
        self.assertIn("AC_EQUIPMENT", first.layers)
        self.assertEqual(first.header["$CLAYER"], "0")

if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--fancad", required=True)
    parser.add_argument("--samplelib", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.fancad, ARGS.samplelib = map(os.path.abspath, (ARGS.fancad, ARGS.samplelib))
    sys.exit(not unittest.main(argv=[sys.argv[0]] + rest, exit=False).result.wasSuccessful())
