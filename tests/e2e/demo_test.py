#!/usr/bin/env python3
"""The demo of `make run`, played as the user sees it.

It must end normally (status 0, nothing on standard error: a crash or a refused
line fails the test even after the last expected output), print one DUMP line
for each "dlg dump" line of the script, each a JSON object of the dialog, and
leave out/demo.dxf with the two fans it places, each tagged with its model, a
drawing that ezdxf reads and the drawing checker finds clean.

The demo places the 4-72 No. 4.5 A fan from the sample drawing library
($ZR_DWGLIB) that the build generates.

Usage: demo_test.py --fancad BIN --script FILE --workdir DIR --checker PY
"""
import argparse
import json
import os
import shutil
import subprocess
import sys

DEMO_VIEW = "4-72No4.5A.dwg"


def check_drawing(path, checker):
    """What is wrong with the demo's drawing, as a list of problems."""
    import ezdxf
    problems = []
    if not os.path.isfile(path):
        return [f"{path} was not written"]
    r = subprocess.run(["/usr/bin/python3", checker, path], capture_output=True, text=True)
    if r.returncode != 0:
        problems.append("drawing checker:\n" + r.stdout + r.stderr)
    refs = [e for e in ezdxf.readfile(path).modelspace() if e.dxftype() == "INSERT"]
    found = [(e.dxf.name, e.dxf.layer, round(e.dxf.rotation, 6),
              [t.value for t in e.xdata.data.get("Model", []) if t.code == 1000],
              [t.value for t in e.xdata.data.get("PLAN", []) if t.code == 1000])
             for e in refs if e.xdata]
    expected = [("4-72No4.5AF_L0", "AC_EQUIPMENT", 30, ["4-72No4.5A_2900"], ["0"]),
                ("4-72No4.5AS_R45", "AC_EQUIPMENT", 0, ["4-72No4.5A_2900"], ["1"])]
    if len(refs) != 2 or found != expected:
        problems.append(f"placed fans: {found}, expected {expected}")
    return problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--fancad", required=True)
    ap.add_argument("--script", required=True)
    ap.add_argument("--workdir", required=True)
    ap.add_argument("--checker", required=True)
    args = ap.parse_args()
    shutil.rmtree(args.workdir, ignore_errors=True)
    os.makedirs(os.path.join(args.workdir, "out"))
    with open(args.script, encoding="utf-8") as f:
        lines = [l.strip() for l in f]
    expected_dumps = sum(1 for l in lines if l == "dlg dump")

    view = os.path.join(os.environ.get("ZR_DWGLIB", ""), "Fan", DEMO_VIEW)
    if not os.path.isfile(view):
        print(f"demo failed: the sample drawing library has no {view}")
        return 1
    r = subprocess.run([args.fancad, "--headless", "--script", os.path.abspath(args.script)],
                       cwd=args.workdir, capture_output=True, timeout=100)
    out = r.stdout.decode("utf-8")
    err = r.stderr.decode("utf-8", "replace")
    problems = []
    if r.returncode != 0:
        problems.append(f"exit status {r.returncode}")
    if err.strip():
        problems.append("standard error:\n" + err)
    dumps = [l[5:] for l in out.splitlines() if l.startswith("DUMP ")]
    if len(dumps) != expected_dumps:
        problems.append(f"{len(dumps)} DUMP lines, the script asks for {expected_dumps}")
    for d in dumps:
        try:
            json.loads(d)
        except ValueError as e:
            problems.append(f"DUMP line is not JSON ({e}): {d[:200]}")
    if out.count('Xdata "Model": "4-72No4.5A_2900"') != 2:
        problems.append("LIST ALL does not show both fans' model")
    problems += check_drawing(os.path.join(args.workdir, "out", "demo.dxf"), args.checker)
    if problems:
        print("demo failed:\n" + "\n".join(problems) + "\n--- output ---\n" + out)
        return 1
    print(f"demo ran: {len(dumps)} DUMP lines, two fans placed in out/demo.dxf")
    return 0


if __name__ == "__main__":
    sys.exit(main())
