#!/usr/bin/env python3
"""The demo of `make run`, played as the user sees it, on the sample library the build
generates ($ZR_DATALIB, $ZR_DWGLIB).

It must end normally (status 0, nothing on standard error: a crash or a refused line
fails the test even after the last expected output), print one DUMP line, a JSON object
of the dialog, for each "dlg dump" line of the script, and leave out/demo.dxf with the
three fans it places, each tagged with its model, a drawing the drawing checker finds
clean. (The candidates of the sample's duty points: param_select_test.py.)

Usage: demo_test.py --fancad BIN --script FILE --workdir DIR --checker PY
"""
import os
import shutil
import subprocess
import sys

import fancad_e2e as e2e
from fancad_e2e import Scenario, dumps, inserts


class Demo(Scenario):
    def test_the_demo_script_runs_and_places_its_three_fans(self):
        self.assertTrue(os.path.isfile(os.path.join(os.environ.get("ZR_DWGLIB", ""), "Fan",
                                                    "4-72No4.5A.dwg")),
                        "the sample drawing library has the demo's view drawing")
        work = e2e.ARGS.workdir
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(os.path.join(work, "out"))
        with open(e2e.ARGS.script, encoding="utf-8") as f:
            asked = sum(1 for line in f if line.strip() == "dlg dump")
        r = subprocess.run([e2e.ARGS.fancad, "--headless", "--script", e2e.ARGS.script],
                           cwd=work, capture_output=True, text=True, timeout=100)
        out = self.assertRan(r)
        self.assertEqual(len(dumps(out)), asked, out)  # each a JSON object, or this fails
        drawing = os.path.join(work, "out", "demo.dxf")
        self.assertDrawingClean(drawing)
        placed = [(e.dxf.name, e.dxf.layer, round(e.dxf.rotation, 6),
                   e.get_xdata("Model")[0][1], e.get_xdata("PLAN")[0][1])
                  for e in inserts(drawing)]
        self.assertEqual(placed, [
            ("4-72No4.5AF_L0", "AC_EQUIPMENT", 30, "4-72No4.5A_2900", "0"),
            ("4-72No4.5AS_R45", "AC_EQUIPMENT", 0, "4-72No4.5A_2900", "1"),
            ("9-19No5CF_L0", "AC_EQUIPMENT", 0, "9-19No5C_1250", "0")])


if __name__ == "__main__":
    sys.exit(e2e.main("--script", "--workdir", "--checker", sample=False))
