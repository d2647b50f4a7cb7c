#!/usr/bin/env python3
"""The statements the module sends to the catalogue, in order, over one session that
uses every kind of them (statements.scr on a copy of the sample library), against the
record kept in statements.golden; the catalogue's schema is the same after the session. A change to the module that sends another statement,
or the same ones in another order, fails here; if the change is meant, regenerate the
record with --update and review its diff.

Usage: statement_log_test.py FANCAD SAMPLELIB [--update]
"""
import difflib
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def schema(path):
    with sqlite3.connect(path) as db:
        return db.execute("SELECT type, name, sql FROM sqlite_master ORDER BY name").fetchall()


def statements(fancad, samplelib):
    with tempfile.TemporaryDirectory() as work:
        for part in ("data", "dwg"):
            shutil.copytree(os.path.join(samplelib, part), os.path.join(work, part))
        catalogue = os.path.join(work, "data", "ZRFan.Mdb")
        before = schema(catalogue)
        env = dict(os.environ, ZR_DATALIB=os.path.join(work, "data"),
                   ZR_DWGLIB=os.path.join(work, "dwg"), FANCAD_TRACE_SQL="1")
        r = subprocess.run([fancad, "--headless", "--script",
                            os.path.join(HERE, "statements.scr")],
                           cwd=work, env=env, capture_output=True, text=True, timeout=120)
        # The session writes rows, never the catalogue's shape.
        if schema(catalogue) != before:
            sys.exit("the session changed the catalogue's schema")
    if r.returncode != 0:
        sys.exit(f"fancad ended with {r.returncode}:\n{r.stdout[-2000:]}\n{r.stderr[-2000:]}")
    other = [line for line in r.stderr.splitlines() if not line.startswith("SQL ")]
    if other:
        sys.exit("unexpected standard error:\n" + "\n".join(other[:20]))
    return [line[4:] for line in r.stderr.splitlines()]


def main():
    fancad, samplelib = sys.argv[1], sys.argv[2]
    golden = os.path.join(HERE, "statements.golden")
    got = statements(fancad, samplelib)
    if "--update" in sys.argv:
        with open(golden, "w", encoding="utf-8") as f:
            f.write("\n".join(got) + "\n")
        print(f"{len(got)} statements written to {golden}")
        return 0
    with open(golden, encoding="utf-8") as f:
        want = f.read().splitlines()
    if got == want:
        print(f"{len(got)} statements as recorded")
        return 0
    diff = difflib.unified_diff(want, got, "recorded", "sent", lineterm="", n=2)
    print("\n".join(list(diff)[:80]))
    return 1


if __name__ == "__main__":
    sys.exit(main())
