#!/usr/bin/env python3
"""fancad's desktop mode driven by a script, against the console mode.

The same script runs `fancad --headless` and `fancad --gui` (on Qt's offscreen
platform, or under an X server when --xvfb names tests/gui/with_xvfb.sh): both
must end with status 0 and nothing on standard error, print the same lines
(only "dlg shot" differs: the console takes no pictures; LIST shows the placed
fan), and save the drawing. The desktop run writes the dialog's picture (dlg shot)
and the window's (--screenshot) as PNG files of the sizes shown. (A line that
fails stops a desktop run: tests/reliability/host/host_reliability_test.py.)

Usage: desktop_script_test.py --fancad BIN --workdir DIR [--xvfb with_xvfb.sh]
"""
import argparse
import difflib
import os
import shutil
import struct
import subprocess
import sys

SCRIPT = """FAN
dlg dump
dlg select 1012 4-72
dlg select 1014 4.5
dlg dump
dlg select 1015 A
dlg select 1016 2900
dlg shot dialog.png
dlg click 1008
30
100,50
dlg dump
dlg ok
LIST LAST
SAVEAS out.dxf
QUIT
"""


def png_size(path):
    """(width, height) of a PNG file, or None."""
    head = open(path, "rb").read(24) if os.path.exists(path) else b""
    return struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--fancad", required=True)
    ap.add_argument("--workdir", required=True)
    ap.add_argument("--xvfb")
    args = ap.parse_args()
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    # The desktop mode keeps its recent files in the user's settings: here, the test's.
    env["XDG_CONFIG_HOME"] = os.path.join(os.path.abspath(args.workdir), "config")

    def fancad(mode, script, work, *more):
        cmd = [args.fancad, "--" + mode, "--script", script, *more]
        menv = dict(env)
        if mode == "gui" and args.xvfb:
            cmd = [args.xvfb] + cmd
        elif mode == "gui":
            menv["QT_QPA_PLATFORM"] = "offscreen"
        r = subprocess.run(cmd, cwd=work, env=menv, capture_output=True, timeout=120)
        return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8", "replace")

    problems, runs = [], {}
    for mode in ("headless", "gui"):
        work = os.path.join(args.workdir, mode)
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        with open(os.path.join(work, "plan.scr"), "w", encoding="utf-8") as f:
            f.write(SCRIPT)
        more = ["--screenshot", "window.png"] if mode == "gui" else []
        status, out, err = fancad(mode, "plan.scr", work, *more)
        if status != 0 or err.strip():
            problems.append(f"{mode}: exit status {status}, standard error:\n{err}")
        runs[mode] = (work, [l for l in out.splitlines() if not l.startswith("DLG shot ")])

    head, gui = runs["headless"][1], runs["gui"][1]
    if head != gui:
        problems.append("outputs differ:\n" + "\n".join(difflib.unified_diff(head, gui, lineterm=""))[:3000])
    if sum(l.startswith("DUMP ") for l in gui) != 3:
        problems.append("the desktop run did not print its three DUMP lines")
    if not any("4-72No4.5A" in l for l in gui):
        problems.append("LIST did not show the placed fan")
    if not all(os.path.exists(os.path.join(runs[m][0], "out.dxf")) for m in runs):
        problems.append("a run saved no drawing")

    work = runs["gui"][0]
    dialog, window = png_size(os.path.join(work, "dialog.png")), png_size(os.path.join(work, "window.png"))
    if not dialog or dialog[0] < 500 or dialog[1] < 400:
        problems.append(f"dlg shot wrote no picture of the dialog ({dialog})")
    if not window or window[0] < 800 or window[1] < 500:
        problems.append(f"--screenshot wrote no picture of the window ({window})")

    if problems:
        print("desktop script test failed:\n" + "\n".join(problems))
        print("--- desktop output ---\n" + "\n".join(gui)[-3000:])
        return 1
    print(f"desktop and console runs agree ({len(gui)} lines), pictures {dialog} and {window}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
