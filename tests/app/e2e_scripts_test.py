#!/usr/bin/python3
"""fancad run on scripts, end to end: exit statuses, what it prints, and the
drawings it writes, read back by ezdxf and checked by the project's drawing checker.

Usage: e2e_scripts_test.py --fancad BIN --testmodule LIB --checker PY --workdir DIR
"""
import argparse
import math
import os
import shutil
import subprocess
import sys
import unittest

import ezdxf

ARGS = None


def base_drawing(path):
    """A drawing with two view blocks, written by ezdxf as another CAD program would."""
    doc = ezdxf.new("R2010")
    for name, size in (("F_L0", (10, 5)), ("S_R45", (4, 4))):
        block = doc.blocks.new(name=name)
        w, h = size
        block.add_lwpolyline([(0, 0), (w, 0), (w, h), (0, h)], close=True)
        block.add_line((0, 0), (w, h))
    doc.modelspace().add_circle((50, 50), 3)
    doc.saveas(path)


class FancadScripts(unittest.TestCase):
    def setUp(self):
        self.dir = os.path.join(ARGS.workdir, self.id().split(".")[-1])
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        base_drawing(os.path.join(self.dir, "base.dxf"))

    def fancad(self, script, *args, module=True):
        path = os.path.join(self.dir, "test.scr")
        with open(path, "w", encoding="utf-8") as f:
            f.write(script)
        cmd = [ARGS.fancad, "--headless", "--script", path]
        if module:
            cmd += ["--module", ARGS.testmodule]
        cmd += list(args)
        return subprocess.run(cmd, cwd=self.dir, capture_output=True, text=True, timeout=60)

    def assertCheckerClean(self, path):
        r = subprocess.run(["/usr/bin/python3", ARGS.checker, path], capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, f"dxf_check.py on {path}:\n{r.stdout}{r.stderr}")

    def inserts(self, path):
        doc = ezdxf.readfile(path)
        return [e for e in doc.modelspace() if e.dxftype() == "INSERT"]

    def test_insert_with_scale_and_rotation_then_saveas(self):
        os.makedirs(os.path.join(self.dir, "out"))
        r = self.fancad("INSERT F_L0\nS\n2\nR\n30\n10,20\n"
                        "INSERT s_r45 S 0.5 R 90 100,50.25\n"
                        "SAVEAS out/plan.dxf\nQUIT\n", "base.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        plan = os.path.join(self.dir, "out", "plan.dxf")
        refs = self.inserts(plan)
        self.assertEqual([e.dxf.name for e in refs], ["F_L0", "S_R45"])
        first, second = refs
        self.assertEqual(tuple(first.dxf.insert), (10, 20, 0))
        self.assertEqual((first.dxf.xscale, first.dxf.yscale, first.dxf.zscale), (2, 2, 2))
        self.assertAlmostEqual(first.dxf.rotation, 30, places=9)
        self.assertEqual(tuple(second.dxf.insert), (100, 50.25, 0))
        self.assertEqual(second.dxf.xscale, 0.5)
        self.assertAlmostEqual(second.dxf.rotation, 90, places=9)
        # What the drawing had before is still there.
        circles = [e for e in ezdxf.readfile(plan).modelspace() if e.dxftype() == "CIRCLE"]
        self.assertEqual(len(circles), 1)
        self.assertCheckerClean(plan)

    def test_module_places_through_insert_and_tags_the_reference(self):
        r = self.fancad("TESTPLACE F_L0\n90\n7,8\nTESTTAG\nLIST LAST\nSAVEAS tagged.dxf\n",
                        "base.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("testmodule: INSERT F_L0 rotation 90 result 5100", r.stdout)
        self.assertIn('  Block name: "F_L0"\n  Position: X=7 Y=8 Z=0\n  Rotation: 90 deg\n'
                      '  Scale: X=1 Y=1 Z=1\n  Xdata "Model": "4-72No4.5A_2900"\n', r.stdout)
        path = os.path.join(self.dir, "tagged.dxf")
        (ref,) = self.inserts(path)
        self.assertEqual(ref.get_xdata("Model"), [(1000, "4-72No4.5A_2900")])
        self.assertCheckerClean(path)

    def test_cancelled_placement_adds_nothing(self):
        r = self.fancad("TESTPLACE F_L0\n0\n^C\nSAVEAS none.dxf\n", "base.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("result -5002", r.stdout)
        self.assertEqual(self.inserts(os.path.join(self.dir, "none.dxf")), [])

    def test_load_run_unload_reload(self):
        r = self.fancad(f"TESTHELLO\nAPPUNLOAD app_testmodule\nTESTHELLO\n"
                        f"APPLOAD {ARGS.testmodule}\nTESTHELLO\nQUIT\n")
        self.assertEqual(r.returncode, 0, r.stderr)
        calls = [l[len("testmodule: "):] for l in r.stdout.splitlines()
                 if l.startswith("testmodule: ")]
        load = ["DllMain 1 instance", "acrxGetApiVersion", "acrxEntryPoint 1", "acrxEntryPoint 3"]
        self.assertEqual(calls, load + ["HELLO", "acrxEntryPoint 2", "DllMain 0 instance"] +
                         load + ["HELLO", "acrxEntryPoint 8", "acrxEntryPoint 4",
                                 "acrxEntryPoint 2", "DllMain 0 instance"])
        self.assertIn('Unknown command "TESTHELLO".', r.stdout)

    def test_selection_then_point_as_a_module_asks(self):
        r = self.fancad("TESTSELECT\nall\n\n1,1\n", "base.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertRegex(r.stdout, r"testmodule: SELECT 1: [0-9A-F]+ point 5100")

    def test_a_line_that_cannot_be_applied_stops_the_script(self):
        r = self.fancad("NEW\n; comment\ndlg select 1012 4-72\nQUIT\n")
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr, "line 3: dlg select 1012 4-72: no dialog is open\n")
        r = self.fancad("INSERT F_L0\nnot-a-point\n", "base.dxf")
        self.assertEqual(r.returncode, 1)
        self.assertIn("line 2: not-a-point:", r.stderr)

    def test_drawing_argument_is_created_on_save(self):
        r = self.fancad("SAVE\n", "fresh.dxf")
        self.assertEqual(r.returncode, 0, r.stderr)
        path = os.path.join(self.dir, "fresh.dxf")
        self.assertTrue(os.path.exists(path))
        self.assertCheckerClean(path)

    def test_desktop_mode_without_a_display_is_refused_clearly(self):
        # Whether or not this build has the desktop mode, --gui with no display
        # to open a window on ends with a message, not a crash.
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        r = subprocess.run([ARGS.fancad, "--gui"], capture_output=True, text=True, timeout=30,
                           env=env)
        self.assertEqual(r.returncode, 2)
        self.assertIn("--gui", r.stderr)
        self.assertIn("--headless", r.stderr)

    def test_wrong_command_line(self):
        r = subprocess.run([ARGS.fancad, "--bogus"], capture_output=True, text=True, timeout=30)
        self.assertEqual(r.returncode, 2)
        self.assertIn("unknown option '--bogus'", r.stderr)
        self.assertIn("usage: fancad", r.stderr)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("--fancad", "--testmodule", "--checker", "--workdir"):
        parser.add_argument(name, required=True)
    ARGS, rest = parser.parse_known_args()
    # The tests run fancad in folders of their own.
    for name in ("fancad", "testmodule", "checker", "workdir"):
        setattr(ARGS, name, os.path.abspath(getattr(ARGS, name)))
    os.makedirs(ARGS.workdir, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
