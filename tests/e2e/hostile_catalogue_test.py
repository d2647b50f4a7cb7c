#!/usr/bin/python3
"""The FAN command under a hostile user or catalogue, end to end: a mistyped dlg line at the
keyboard, a catalogue another process locks while the dialog is up, a catalogue whose Model
table lacks a column."""
import shutil
import sqlite3
import sys
import time

import fancad_e2e as e2e
from fancad_e2e import Scenario, Session, boxes, control, dumps


class HostileCatalogue(Scenario):
    def setUp(self):
        super().setUp()
        self.catalogue = self.path("ZRFan.Mdb")
        shutil.copy(e2e.SAMPLE, self.catalogue)
        self.env = {"ZR_DATALIB": self.dir}

    def test_a_mistyped_line_at_the_keyboard_and_a_locked_catalogue(self):
        """A mistyped line leaves the dialog up with its selection; a series change while
        another process holds the catalogue locked waits once, then tells the user; free
        again, the next change works at once."""
        with Session(self.env) as fancad:
            first, second = control(fancad.dump("FAN")[0], 1012)["items"][:2]
            dump, seen = fancad.dump("dlg select 1012 " + second, "dlg select 1014 99")
            self.assertIn("combo box 1014 has no item '99'", "\n".join(seen))
            self.assertEqual(control(dump, 1012)["text"], second, "the selection is kept")
            other = sqlite3.connect(self.catalogue, isolation_level=None)
            other.execute("BEGIN EXCLUSIVE")
            start = time.time()
            _, seen = fancad.dump("dlg select 1012 " + first, timeout=90)
            waited = time.time() - start
            other.execute("COMMIT")
            other.close()
            after, free = fancad.dump("dlg select 1012 " + second)
            self.assertEqual(fancad.close("dlg cancel", "QUIT"), 0)
        locked = boxes("\n".join(seen))
        self.assertTrue(locked, "the user is told")
        self.assertIn("数据库操作错误", locked[0]["text"])
        # One wait of about 5 s for the whole change, not one per statement (was ~100 s).
        self.assertLess(waited, 30, "the series change waited %.1f s" % waited)
        self.assertEqual(boxes("\n".join(free)), [])
        self.assertEqual(control(after, 1012)["text"], second)
        self.assertNotIn("no dialog is open", "\n".join(seen + free))

    def test_a_missing_column_is_named(self):
        for column in ("FanNo", "ID"):
            with sqlite3.connect(self.catalogue) as db:
                db.execute("ALTER TABLE Model DROP COLUMN %s" % column)
            r = e2e.run(["FAN"], self.env)
            self.assertEqual(r.returncode, 1, r.stdout)
            self.assertRegex(r.stderr, r"^line 1: FAN: Error in command FAN: .*\(field '%s'\)\n$"
                             % column)
            self.assertNotIn("unknown exception", r.stdout)
            self.assertEqual(dumps(r.stdout), [])
            shutil.copy(e2e.SAMPLE, self.catalogue)


if __name__ == "__main__":
    sys.exit(e2e.main())
