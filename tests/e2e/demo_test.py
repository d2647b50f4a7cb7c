#!/usr/bin/env python3
"""The demo of `make run`, played as the user sees it.

It must end normally (status 0, nothing on standard error: a crash or a refused
line fails the test even after the last expected output) and print one DUMP line
for each "dlg dump" line of the script, each a JSON object of the dialog.

Usage: demo_test.py --fancad BIN --script FILE --workdir DIR
"""
import argparse
import json
import os
import subprocess
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--fancad", required=True)
    ap.add_argument("--script", required=True)
    ap.add_argument("--workdir", required=True)
    args = ap.parse_args()
    os.makedirs(args.workdir, exist_ok=True)
    with open(args.script, encoding="utf-8") as f:
        lines = [l.strip() for l in f]
    expected_dumps = sum(1 for l in lines if l == "dlg dump")

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
    if problems:
        print("demo failed:\n" + "\n".join(problems) + "\n--- output ---\n" + out)
        return 1
    print(f"demo ran: {len(dumps)} DUMP lines")
    return 0


if __name__ == "__main__":
    sys.exit(main())
