#!/usr/bin/python3
"""Two hosts on one catalogue on a PostgreSQL server, as two fancad processes:
an edit of a performance cell by one is shown by the other's next cascade
action; a row lock held by a third client makes the edit fail within the
bounded wait with the wrapper's message, and nothing is written."""
import argparse
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest

ARGS = None


def run(lines, datalib):
    env = dict(os.environ, ZR_DATALIB=datalib)
    return subprocess.run([ARGS.fancad, "--headless", "--script", "/dev/stdin"],
                          input="\n".join(lines) + "\n", capture_output=True, text=True,
                          env=env, timeout=60)


def control(dump, cid):
    return next(c for c in dump["controls"] if c["id"] == cid)


def grid(dump, gid):
    return next(g for g in dump["grids"] if g["id"] == gid)


class TwoHostsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="two_hosts_")
        self.url = "%s&options=-csearch_path%%3Dtwo_hosts_%d_%s" % (
            ARGS.server, os.getpid(), self._testMethodName[-12:])
        subprocess.run([ARGS.fangen, "--url", self.url], check=True, capture_output=True)
        self.data = os.path.join(self.tmp, "data")
        os.makedirs(self.data)
        with open(os.path.join(self.data, "ZRFan.Mdb"), "w") as f:
            f.write(self.url + "\n")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def rows(self, sql):
        """The catalogue copied back into a file, then asked with SQLite."""
        path = os.path.join(self.tmp, "copy.db")
        subprocess.run([ARGS.fancat, "import", self.url, path], check=True, capture_output=True)
        with sqlite3.connect(path) as db:
            return db.execute(sql).fetchall()

    def start_host(self):
        env = dict(os.environ, ZR_DATALIB=self.data)
        proc = subprocess.Popen([ARGS.fancad, "--headless"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True, env=env)
        self.addCleanup(lambda: (proc.poll() is None and proc.kill(), proc.wait(),
                                 proc.stdout.close()))
        return proc

    def dump_now(self, proc, *lines):
        for line in lines + ("dlg dump",):
            proc.stdin.write(line + "\n")
        proc.stdin.flush()
        while True:
            line = proc.stdout.readline()
            self.assertTrue(line, "fancad ended early")
            if line.startswith("DUMP "):
                return json.loads(line[5:])

    def test_an_edit_by_one_host_shows_in_the_others_next_cascade_action(self):
        other = self.start_host()
        first = self.dump_now(other, "FAN")
        speeds = control(first, 1016)["items"]
        self.assertGreater(len(speeds), 1, "scenario needs two speeds")
        shown = control(first, 1016)["text"]
        elsewhere = next(s for s in speeds if s != shown)
        self.dump_now(other, "dlg select 1016 " + elsewhere)

        proc = run(["FAN", "dlg grid 5003 edit 1 2 4321", "dlg cancel", "QUIT"], self.data)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        self.assertNotIn("MSGBOX", proc.stdout)

        after = self.dump_now(other, "dlg select 1016 " + shown)
        self.assertEqual(grid(after, 5003)["cells"][1][2], "4321")
        other.stdin.write("dlg cancel\nQUIT\n")
        other.stdin.close()
        self.assertEqual(other.wait(timeout=30), 0)

    def test_a_row_lock_held_elsewhere_fails_the_edit_within_the_wait(self):
        first = run(["FAN", "dlg dump", "dlg cancel", "QUIT"], self.data)
        dump = json.loads(next(l for l in first.stdout.splitlines() if l.startswith("DUMP "))[5:])
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
        proc = run(["FAN", "dlg grid 5003 edit 1 2 4321", "msg ok", "dlg cancel", "QUIT"],
                   self.data)
        waited = time.monotonic() - start
        locker.stdin.write("ROLLBACK;\n")
        locker.stdin.close()
        locker.wait(timeout=30)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        boxes = [json.loads(l[7:])["text"] for l in proc.stdout.splitlines()
                 if l.startswith("MSGBOX ")]
        self.assertEqual(len(boxes), 1, boxes)
        # The wrapper shows the error's own text: a lock wait that ran out is
        # the driver's unspecified error, as with a locked catalogue file.
        self.assertEqual(boxes, ["未指定的错误"])
        self.assertGreater(waited, 4.5)
        self.assertLess(waited, 30)
        self.assertEqual(self.rows('SELECT * FROM "%s" ORDER BY rowid' % table), before)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("--fancad", "--fangen", "--fancat", "--server"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    prog = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    sys.exit(0 if prog.result.wasSuccessful() else 1)
