#!/usr/bin/python3
"""The FAN command under a hostile user or catalogue, end to end: a mistyped dlg line at the
keyboard, a catalogue another process locks while the dialog is up, a catalogue whose Model
table lacks a column."""
import argparse
import json
import os
import queue
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import unittest

FANCAD = FANGEN = SAMPLE = None


def dumps(lines):
    return [json.loads(line[5:]) for line in lines if line.startswith("DUMP ")]


def control(dump, cid):
    return next(c for c in dump["controls"] if c["id"] == cid)


class HostileCatalogue(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="fan_hostile_")
        self.catalogue = os.path.join(self.tmp, "ZRFan.Mdb")
        shutil.copy(SAMPLE, self.catalogue)
        self.env = dict(os.environ, ZR_DATALIB=self.tmp)

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def keyboard(self, lines):
        """fancad reading the lines from a pipe, as typed: no --script."""
        return subprocess.run([FANCAD, "--headless"], input="\n".join(lines) + "\n",
                              capture_output=True, text=True, env=self.env, timeout=120)

    def series(self):
        r = self.keyboard(["FAN", "dlg dump", "dlg cancel"])
        items = control(dumps(r.stdout.splitlines())[0], 1012)["items"]
        self.assertGreaterEqual(len(items), 2)
        return items

    def test_a_mistyped_line_at_the_keyboard_leaves_the_dialog_up(self):
        series = self.series()[1]
        r = self.keyboard(["FAN", "dlg select 1012 " + series, "dlg select 1014 99", "dlg dump"])
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("combo box 1014 has no item '99'", r.stdout)
        self.assertNotIn("no dialog is open", r.stdout)
        (dump,) = dumps(r.stdout.splitlines())
        self.assertEqual(control(dump, 1012)["text"], series, "the selection is kept")

    def test_a_locked_catalogue_holds_a_series_change_up_once(self):
        first, second = self.series()[:2]
        proc = subprocess.Popen([FANCAD, "--headless"], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                env=self.env)
        lines = queue.Queue()
        def read():
            with proc.stdout:
                for line in proc.stdout:
                    lines.put(line.rstrip("\n"))

        threading.Thread(target=read, daemon=True).start()

        def until_dump(timeout):
            seen = []
            deadline = time.time() + timeout
            while time.time() < deadline:
                try:
                    line = lines.get(timeout=deadline - time.time())
                except queue.Empty:
                    break
                seen.append(line)
                if line.startswith("DUMP "):
                    return seen
            self.fail("no DUMP within %d s: %s" % (timeout, seen[-5:]))

        try:
            proc.stdin.write("FAN\ndlg dump\n")
            proc.stdin.flush()
            until_dump(60)
            other = sqlite3.connect(self.catalogue, isolation_level=None)
            other.execute("BEGIN EXCLUSIVE")
            start = time.time()
            proc.stdin.write("dlg select 1012 %s\ndlg dump\n" % second)
            proc.stdin.flush()
            seen = until_dump(90)
            waited = time.time() - start
            other.execute("COMMIT")
            other.close()
            # Free again: the next change works at once.
            proc.stdin.write("dlg select 1012 %s\ndlg dump\ndlg cancel\nQUIT\n" % first)
            proc.stdin.flush()
            after = until_dump(60)
            proc.stdin.close()
            self.assertEqual(proc.wait(timeout=60), 0)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
            proc.stderr.close()
        boxes = [l for l in seen if l.startswith("MSGBOX ")]
        self.assertTrue(boxes, "the user is told")
        self.assertIn("数据库操作错误", boxes[0])
        # One wait of about 5 s for the whole change, not one per statement (was ~100 s).
        self.assertLess(waited, 30, "the series change waited %.1f s" % waited)
        self.assertFalse([l for l in after if l.startswith("MSGBOX ")])
        self.assertEqual(control(dumps(after)[0], 1012)["text"], first)

    def test_a_missing_column_is_named(self):
        for column in ("FanNo", "ID"):
            with sqlite3.connect(self.catalogue) as db:
                db.execute("ALTER TABLE Model DROP COLUMN %s" % column)
            r = subprocess.run([FANCAD, "--headless", "--script", "/dev/stdin"], input="FAN\n",
                               capture_output=True, text=True, env=self.env, timeout=60)
            self.assertEqual(r.returncode, 1, r.stdout)
            self.assertRegex(r.stderr, r"^line 1: FAN: Error in command FAN: .*\(field '%s'\)\n$"
                             % column)
            self.assertNotIn("unknown exception", r.stdout)
            shutil.copy(SAMPLE, self.catalogue)


def main():
    global FANCAD, FANGEN, SAMPLE
    parser = argparse.ArgumentParser()
    parser.add_argument("--fancad", required=True)
    parser.add_argument("--fangen", required=True)
    args, rest = parser.parse_known_args()
    FANCAD, FANGEN = args.fancad, args.fangen
    sample_dir = tempfile.mkdtemp(prefix="fan_hostile_sample_")
    try:
        subprocess.run([FANGEN, "--out", sample_dir], check=True, capture_output=True)
        SAMPLE = os.path.join(sample_dir, "ZRFan.Mdb")
        prog = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
        return 0 if prog.result.wasSuccessful() else 1
    finally:
        shutil.rmtree(sample_dir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
