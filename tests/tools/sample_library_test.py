#!/usr/bin/python3
"""The sample drawing library that the build generates, read by an independent reader.

ezdxf reads every drawing and sees the MODEL attribute of the front views; the project's
drawing checker (which has ezdxf audit each file) finds every drawing clean. Then fandwg
itself: its usage, a refused output folder, a run that writes the built library again
(the same files, apart from the dates a save stamps into the header).
(A drawing for every model of the catalogue, blocks, hands and layers: view_library_test.)

Usage: sample_library_test.py --library DIR --fandwg BIN --workdir DIR --checker FILE
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import unittest

import ezdxf

ARGS = None


def without_dates(dxf):
    """The lines of DXF text but the values of the header's dates ($TDCREATE, $TDUPDATE, ...)."""
    lines = dxf.split(b"\n")
    return [line for i, line in enumerate(lines) if i < 2 or not lines[i - 2].startswith(b"$TD")]


class BuiltLibrary(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = os.path.join(ARGS.library, "dwg", "Fan")
        cls.files = sorted(glob.glob(os.path.join(cls.folder, "*.dwg")))
        cls.docs = {os.path.basename(f)[:-4]: ezdxf.readfile(f) for f in cls.files}

    def test_front_views_carry_the_model(self):
        # Blocks, hands and layers are the drawing database's test; ezdxf reads the attribute.
        for name, doc in self.docs.items():
            attdefs = [e for e in doc.blocks["F_R0"] if e.dxftype() == "ATTDEF"]
            self.assertEqual([(a.dxf.tag, a.dxf.text) for a in attdefs], [("MODEL", name)])

    def test_the_drawing_checker_finds_every_drawing_clean(self):
        r = subprocess.run([sys.executable, ARGS.checker] + self.files, capture_output=True,
                           text=True, timeout=300)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)


class Generator(unittest.TestCase):
    def run_fandwg(self, *args):
        return subprocess.run([ARGS.fandwg, *args], capture_output=True, text=True, timeout=120)

    def test_bad_arguments_and_a_refused_output_folder_are_reported(self):
        for args in ([], ["--out"], ["--out", "x", "--size", "3"], ["--large"]):
            r = self.run_fandwg(*args)
            self.assertEqual(r.returncode, 2, args)
            self.assertIn("usage: fandwg", r.stderr)
        os.makedirs(ARGS.workdir, exist_ok=True)
        blocker = os.path.join(ARGS.workdir, "not-a-folder")
        with open(blocker, "w") as f:
            f.write("x")
        r = self.run_fandwg("--out", blocker)
        self.assertEqual(r.returncode, 1)
        self.assertTrue(r.stderr.startswith("fandwg: "), r.stderr)
        self.assertIn("not-a-folder/Fan", r.stderr)

    def test_a_run_writes_the_built_library_again_apart_from_the_save_dates(self):
        out = os.path.join(ARGS.workdir, "library")
        shutil.rmtree(out, ignore_errors=True)
        r = self.run_fandwg("--out", out)
        self.assertEqual(r.returncode, 0, r.stderr)
        files = sorted(os.listdir(os.path.join(out, "Fan")))
        built = os.path.join(ARGS.library, "dwg", "Fan")
        self.assertEqual(files, sorted(os.listdir(built)))
        self.assertIn(f"wrote {len(files)} view drawings to {out}/Fan (", r.stdout)
        for name in files:
            with open(os.path.join(out, "Fan", name), "rb") as a, \
                    open(os.path.join(built, name), "rb") as b:
                self.assertEqual(without_dates(a.read()), without_dates(b.read()), name)


def main():
    global ARGS
    ap = argparse.ArgumentParser()
    ap.add_argument("--library", required=True)
    ap.add_argument("--fandwg", required=True)
    ap.add_argument("--workdir", required=True)
    ap.add_argument("--checker", required=True)
    ARGS, rest = ap.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
