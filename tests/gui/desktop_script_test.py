#!/usr/bin/env python3
"""fancad's desktop mode driven by a script, against the console mode.

The same script runs `fancad --headless` and `fancad --gui` (on Qt's offscreen
platform, or under an X server when --xvfb names tests/gui/with_xvfb.sh): both
must end with status 0 and nothing on standard error, print the same lines
(DUMP, LIST, prompts and answers; only "dlg shot" differs: the console says it
takes no pictures, the desktop writes one), and save drawings with the same
entities. The desktop run must write the dialog's picture (dlg shot) and the
window's (--screenshot) as PNG files of the sizes shown. A script line that
cannot be applied stops the desktop run as it stops the console run.

Usage: desktop_script_test.py --fancad BIN --workdir DIR [--xvfb with_xvfb.sh]
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys

import ezdxf

SCRIPT = """FAN
dlg dump
dlg select 1012 4-72
dlg select 1014 4.5
dlg dump
dlg select 1015 A
dlg select 1016 2900
dlg shot {shot}
dlg click 1008
30
100,50
dlg dump
dlg ok
LIST LAST
SAVEAS out.dxf
QUIT
"""


def write_plan(path):
    """A small plan: a room, a duct on its layer, a label in Chinese, a block with an attribute."""
    doc = ezdxf.new("R2010")
    doc.layers.add("DUCT", color=4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (80, 0), (80, 40), (0, 40)], close=True)
    msp.add_line((10, 20), (70, 20), dxfattribs={"layer": "DUCT"})
    msp.add_text("风机房", height=3, dxfattribs={"insert": (30, 30)})
    fan = doc.blocks.new("FAN")
    fan.add_circle((0, 0), 5, dxfattribs={"color": 1})
    fan.add_attdef("MODEL", (6, 0), dxfattribs={"height": 2})
    ref = msp.add_blockref("FAN", (60, 10))
    ref.add_attrib("MODEL", "4-72No4.5A", (66, 10), dxfattribs={"height": 2})
    doc.saveas(path)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def run(cmd, cwd, env):
    r = subprocess.run(cmd, cwd=cwd, env=env, capture_output=True, timeout=120)
    return r.returncode, r.stdout.decode("utf-8"), r.stderr.decode("utf-8", "replace")


def entities(path):
    doc = ezdxf.readfile(path)
    out = []
    for e in doc.modelspace():
        d = e.dxf
        out.append((e.dxftype(), d.handle, d.layer,
                    tuple(round(v, 6) for v in d.insert) if d.hasattr("insert") else None,
                    round(d.rotation, 6) if d.hasattr("rotation") else None))
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--fancad", required=True)
    ap.add_argument("--workdir", required=True)
    ap.add_argument("--xvfb")
    args = ap.parse_args()
    problems = []
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    # The desktop mode keeps its recent files in the user's settings: here, the test's.
    env["XDG_CONFIG_HOME"] = os.path.join(os.path.abspath(args.workdir), "config")
    runs = {}
    for mode in ("headless", "gui"):
        work = os.path.join(args.workdir, mode)
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        write_plan(os.path.join(work, "plan.dxf"))
        with open(os.path.join(work, "plan.scr"), "w", encoding="utf-8") as f:
            f.write(SCRIPT.format(shot="dialog.png"))
        cmd = [args.fancad, "--" + mode, "--script", "plan.scr"]
        menv = dict(env)
        if mode == "gui":
            cmd += ["--screenshot", "window.png"]
            if args.xvfb:
                cmd = [args.xvfb] + cmd
            else:
                menv["QT_QPA_PLATFORM"] = "offscreen"
        status, out, err = run(cmd, work, menv)
        if status != 0:
            problems.append(f"{mode}: exit status {status}")
        if err.strip():
            problems.append(f"{mode}: standard error:\n{err}")
        runs[mode] = (work, out)

    def comparable(out):
        return [l for l in out.splitlines() if not l.startswith("DLG shot ")]

    head, gui = comparable(runs["headless"][1]), comparable(runs["gui"][1])
    if head != gui:
        for i, (a, b) in enumerate(zip(head + [""] * len(gui), gui + [""] * len(head))):
            if a != b:
                problems.append(f"outputs differ at line {i + 1}:\n  headless: {a[:200]}\n  gui:      {b[:200]}")
                break
    if sum(l.startswith("DUMP ") for l in gui) != 3:
        problems.append("the desktop run printed no DUMP lines")
    if not any("4-72No4.5A" in l for l in gui):
        problems.append("LIST did not show the placed fan")

    head_dxf = os.path.join(runs["headless"][0], "out.dxf")
    gui_dxf = os.path.join(runs["gui"][0], "out.dxf")
    if not (os.path.exists(head_dxf) and os.path.exists(gui_dxf)):
        problems.append("a run saved no drawing")
    elif entities(head_dxf) != entities(gui_dxf):
        problems.append("the saved drawings differ:\n" + str(entities(head_dxf)) + "\n" + str(entities(gui_dxf)))

    dialog = png_size(os.path.join(runs["gui"][0], "dialog.png"))
    window = png_size(os.path.join(runs["gui"][0], "window.png"))
    if not dialog or dialog[0] < 500 or dialog[1] < 400:
        problems.append(f"dlg shot wrote no picture of the dialog ({dialog})")
    if not window or window[0] < 800 or window[1] < 500:
        problems.append(f"--screenshot wrote no picture of the window ({window})")

    # A line that cannot be applied stops the desktop run as it stops the console.
    work = runs["gui"][0]
    with open(os.path.join(work, "bad.scr"), "w", encoding="utf-8") as f:
        f.write("FAN\ndlg select 1012 NO-SUCH-SERIES\ndlg ok\nQUIT\n")
    cmd = [args.fancad, "--gui", "--script", "bad.scr"]
    benv = dict(env)
    if args.xvfb:
        cmd = [args.xvfb] + cmd
    else:
        benv["QT_QPA_PLATFORM"] = "offscreen"
    status, out, err = run(cmd, work, benv)
    if status != 1 or "line 2: dlg select 1012 NO-SUCH-SERIES: combo box 1012 has no item" not in err:
        problems.append(f"a bad line: status {status}, standard error:\n{err}")

    if problems:
        print("desktop script test failed:\n" + "\n".join(problems))
        print("--- desktop output ---\n" + runs["gui"][1][-3000:])
        return 1
    print(f"desktop and console runs agree ({len(gui)} lines), pictures {dialog} and {window}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
