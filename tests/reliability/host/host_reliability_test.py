#!/usr/bin/python3
"""The host as a careless or hostile user meets it: every file it writes refuses what is
not a writable regular file (without hanging on a FIFO), coordinates never overflow, unsaved
work is not dropped at the keyboard, layers that are frozen, off or locked behave as in a
CAD editor, and PURGE forgets the layer that was current when the drawing was saved.

Usage: host_reliability_test.py --fancad BIN [unittest args]
"""
import argparse
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

ARGS = None
# Place the sample's 4-72 No.4.5 A at 2900 r/min: the dialog, then angle and point.
PLACE_FAN = """FAN
dlg select 1012 4-72
dlg select 1014 4.5
dlg select 1015 A
dlg select 1016 2900
dlg click 1008
0
{point}
dlg ok
"""
DUTY = "FANDUTY\n1131\n990\n\n\n\n"


class Host(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="fancad-rel-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def run_fancad(self, text, *options, script=True, gui=False):
        """Runs fancad on text (a script, or typed at the keyboard); a hang fails the test."""
        mode = ["--gui"] if gui else ["--headless"]
        if script:
            with open(self.path("run.scr"), "w", encoding="utf-8") as f:
                f.write(text)
            args, stdin = mode + ["--script", self.path("run.scr")], ""
        else:
            args, stdin = mode, text
        return subprocess.run([ARGS.fancad, *args, *options], input=stdin, capture_output=True,
                              text=True, cwd=self.dir, timeout=60)

    def test_written_files_refuse_fifos_read_only_files_and_follow_links(self):
        os.mkfifo(self.path("fifo"))
        with open(self.path("ro.csv"), "w") as f:
            f.write("mine")
        os.chmod(self.path("ro.csv"), 0o444)
        for target, reason in (("fifo", "it is a FIFO"), ("ro.csv", "the file is read-only")):
            with self.subTest(target=target):
                r = self.run_fancad(DUTY + "QUIT\n", "--csv", self.path(target))
                self.assertIn("无法写入表格文件", r.stdout)
                self.assertIn(reason, r.stdout)
        self.assertTrue(stat.S_ISFIFO(os.stat(self.path("fifo")).st_mode))
        with open(self.path("ro.csv")) as f:
            self.assertEqual(f.read(), "mine")
        # Through a link: the file it names gets the table, the link stays.
        os.symlink("table.csv", self.path("link.csv"))
        r = self.run_fancad(DUTY + "QUIT\n", "--csv", self.path("link.csv"))
        self.assertIn("表格已写入", r.stdout)
        self.assertTrue(os.path.islink(self.path("link.csv")))
        with open(self.path("table.csv"), encoding="utf-8") as f:
            self.assertIn("9-19", f.read())
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["fifo", "link.csv", "ro.csv", "run.scr", "table.csv"])

    def test_pictures_to_a_fifo_fail_instead_of_hanging(self):
        os.mkfifo(self.path("shot.png"))
        r = self.run_fancad("FAN\ndlg shot shot.png\ndlg cancel\n", gui=True)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertIn("it is a FIFO", r.stderr)
        r = self.run_fancad("LAYER\n?\n\n\n", "--screenshot", self.path("shot.png"), gui=True)
        self.assertNotEqual(r.returncode, 0)
        self.assertIn("it is a FIFO", r.stderr)

    def test_no_coordinate_overflows_and_none_is_written_as_zero(self):
        place = PLACE_FAN.format(point="0,0")
        move = "MOVE\nall\n\n0,0\n{}\n"
        # One move far out is fine and read back exactly; a second would overflow.
        r = self.run_fancad(place + move.format("1e308,0") + "SAVEAS far.dxf\n" +
                            move.format("1e308,0") + "SAVE\n")
        self.assertEqual(r.returncode, 1)
        self.assertIn("beyond the largest coordinate", r.stderr)
        r = self.run_fancad("OPEN far.dxf\nROTATE\nall\n\n0,0\n90\nCOPY\nall\n\n0,0\n1e308,0\n"
                            "\nLIST ALL\n")
        self.assertEqual(r.returncode, 1, r.stdout)
        self.assertIn("beyond the largest coordinate", r.stderr)
        r = self.run_fancad("OPEN far.dxf\nLIST ALL\n")
        self.assertIn("Position: X=1e+308 Y=0", r.stdout)

    def test_unsaved_work_is_not_dropped_at_the_keyboard(self):
        change = "LAYER\nMake\nWALLS\n\n"
        # Cancel keeps the drawing; No lets it go; Yes saves, asking for a name.
        r = self.run_fancad(change + "NEW\nCancel\nLAYER\n?\n\n\nNEW\nn\nLAYER\n?\n\n\n" +
                            change + "QUIT\n\nkept.dxf\n", script=False)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.count("Save changes to Drawing1.dwg? [Yes/No/Cancel] <Yes>:"), 3)
        listings = [part.split("Command:")[0]
                    for part in r.stdout.split("Enter layer name(s) to list <*>:")]
        self.assertIn("* WALLS", listings[1])
        self.assertNotIn("WALLS", listings[2])
        self.assertTrue(os.path.exists(self.path("kept.dxf")))
        # Saved work is not asked about; a script is never asked.
        r = self.run_fancad("OPEN kept.dxf\nNEW\n" + change + "QUIT\n", script=False)
        self.assertEqual(r.stdout.count("Save changes"), 1)
        r = self.run_fancad(change + "NEW\n" + change + "QUIT\n")
        self.assertEqual((r.returncode, r.stdout.count("Save changes")), (0, 0))

    def test_frozen_off_and_locked_layers(self):
        # The fan's layer frozen and off before placement: placing makes it usable.
        r = self.run_fancad(
            "LAYER\nMake\nAC_EQUIPMENT\nOFF\nAC_EQUIPMENT\nSet\n0\nFreeze\nAC_EQUIPMENT\n\n" +
            PLACE_FAN.format(point="0,0") + PLACE_FAN.format(point="5000,0") +
            PLACE_FAN.format(point="10000,0") + "SAVEAS plan.dxf\nQUIT\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("Layer AC_EQUIPMENT was frozen and off: thawed and turned on.", r.stdout)
        self.assertEqual(r.stdout.count("thawed and turned on"), 1)
        # Freeze and lock the fans' layer in turn: a selection leaves frozen entities out,
        # an edit skips locked ones and says how many.
        r = self.run_fancad("OPEN plan.dxf\nLAYER\nFreeze\nAC_EQUIPMENT\n\nERASE\nall\n\n"
                            "LAYER\nThaw\nAC_EQUIPMENT\nLOck\nAC_EQUIPMENT\n\nMOVE\nall\n\n"
                            "LAYER\nUnlock\nAC_EQUIPMENT\n\nERASE\nall\n\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout.count("Nothing selected."), 1, r.stdout)
        self.assertIn("3 on a locked layer.", r.stdout)
        self.assertIn("3 erased", r.stdout)

    def test_purge_forgets_the_layer_current_at_the_last_save(self):
        r = self.run_fancad("LAYER\nMake\nOLD\n\nSAVEAS p.dxf\nOPEN p.dxf\nLAYER\nSet\n0\n\n"
                            "PURGE\nLAyers\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn('Deleting layer "OLD".', r.stdout)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--fancad", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)


if __name__ == "__main__":
    main()
