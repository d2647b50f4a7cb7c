#!/usr/bin/python3
"""Two hosts on one catalogue on a PostgreSQL server, as two fancad processes:
an edit of a performance cell by one is shown by the other's next cascade
action; a row lock held by a third client makes the edit fail within the
bounded wait with the wrapper's message, and nothing is written."""
import os
import sqlite3
import subprocess
import sys
import time

import fancad_e2e as e2e
from fancad_e2e import Session, boxes, control, dumps, grid


class TwoHostsTest(e2e.Scenario):
    def setUp(self):
        super().setUp()
        self.url = "%s&options=-csearch_path%%3Dtwo_hosts_%d_%s" % (
            e2e.ARGS.server, os.getpid(), self._testMethodName[-12:])
        subprocess.run([e2e.ARGS.fangen, "--url", self.url], check=True, capture_output=True)
        self.data = self.path("data")
        os.makedirs(self.data)
        with open(os.path.join(self.data, "ZRFan.Mdb"), "w") as f:
            f.write(self.url + "\n")
        self.env = {"ZR_DATALIB": self.data}

    def rows(self, sql):
        """The catalogue copied back into a file, then asked with SQLite."""
        path = self.path("copy.db")
        subprocess.run([e2e.ARGS.fancat, "import", self.url, path], check=True, capture_output=True)
        with sqlite3.connect(path) as db:
            return db.execute(sql).fetchall()

    def test_an_edit_by_one_host_shows_in_the_others_next_cascade_action(self):
        with Session(self.env) as other:
            first, _ = other.dump("FAN")
            speeds = control(first, 1016)["items"]
            self.assertGreater(len(speeds), 1, "scenario needs two speeds")
            shown = control(first, 1016)["text"]
            other.dump("dlg select 1016 " + next(s for s in speeds if s != shown))

            proc = e2e.run(["FAN", "dlg grid 5003 edit 1 2 4321", "dlg cancel", "QUIT"],
                           self.env)
            self.assertNotIn("MSGBOX", self.assertRan(proc))

            after, _ = other.dump("dlg select 1016 " + shown)
            self.assertEqual(grid(after, 5003)["cells"][1][2], "4321")
            self.assertEqual(other.close("dlg cancel", "QUIT"), 0)

    def test_a_row_lock_held_elsewhere_fails_the_edit_within_the_wait(self):
        first = e2e.run(["FAN", "dlg dump", "dlg cancel", "QUIT"], self.env)
        (dump,) = dumps(first.stdout)
        table = control(dump, 1012)["text"] + "_Parameter"
        before = self.rows('SELECT * FROM "%s" ORDER BY rowid' % table)
        locker = subprocess.Popen(["psql", "-q", "-X", "-t", "-A", self.url],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.addCleanup(lambda: (locker.poll() is None and locker.kill(), locker.wait(),
                                 locker.stdout.close()))
        locker.stdin.write('BEGIN;\nSELECT count(*) FROM (SELECT 1 FROM "%s" FOR UPDATE) t;\n'
                           "\\echo locked\n" % table)
        locker.stdin.flush()
        while locker.stdout.readline().strip() != "locked":
            self.assertIsNone(locker.poll(), "psql ended early")
        start = time.monotonic()
        proc = e2e.run(["FAN", "dlg grid 5003 edit 1 2 4321", "msg ok", "dlg cancel", "QUIT"],
                       self.env)
        waited = time.monotonic() - start
        locker.stdin.write("ROLLBACK;\n")
        locker.stdin.close()
        locker.wait(timeout=30)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        # The wrapper shows the error's own text, once: a lock wait that ran out is the
        # driver's unspecified error, as with a locked catalogue file.
        self.assertEqual([b["text"] for b in boxes(proc.stdout)], ["未指定的错误"])
        self.assertGreater(waited, 4.5)
        self.assertLess(waited, 30)
        self.assertEqual(self.rows('SELECT * FROM "%s" ORDER BY rowid' % table), before)


if __name__ == "__main__":
    sys.exit(e2e.main("--fangen", "--fancat", "--server", sample=False))
