#!/usr/bin/env python3
"""Writes a small plant-room plan as a DXF drawing, for the README's pictures.

The plan has what a designer's drawing has before fans are placed: grid axes
with their bubbles, walls, a door, supply and return ducts with their labels,
room names in Chinese; the fans are placed into it by the fan dialog.

Usage: sample_plan.py OUT.dxf   (needs ezdxf: Debian's python3-ezdxf)
"""
import sys

import ezdxf


def main(out):
    doc = ezdxf.new("R2010")
    for name, color in (("AXIS", 1), ("WALL", 7), ("DOOR", 3), ("DUCT", 4), ("TEXT", 2),
                        ("AC_EQUIPMENT", 6)):
        doc.layers.add(name, color=color)
    msp = doc.modelspace()

    # Grid axes 1-4 across, A-C up, 6000 apart, with their bubbles.
    xs, ys = [0, 6000, 12000, 18000], [0, 6000, 12000]
    for i, x in enumerate(xs):
        msp.add_line((x, -1500), (x, 13500), dxfattribs={"layer": "AXIS"})
        msp.add_circle((x, -2100), 600, dxfattribs={"layer": "AXIS"})
        msp.add_text(str(i + 1), height=500, dxfattribs={"layer": "TEXT", "color": 7}).set_placement(
            (x, -2100), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    for j, y in enumerate(ys):
        msp.add_line((-1500, y), (19500, y), dxfattribs={"layer": "AXIS"})
        msp.add_circle((-2100, y), 600, dxfattribs={"layer": "AXIS"})
        msp.add_text("ABC"[j], height=500, dxfattribs={"layer": "TEXT", "color": 7}).set_placement(
            (-2100, y), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)

    # Walls: an outer ring 240 thick and a partition with a door opening.
    for off in (-120, 120):
        msp.add_lwpolyline([(-off, -off), (18000 + off, -off), (18000 + off, 12000 + off),
                            (-off, 12000 + off)], close=True, dxfattribs={"layer": "WALL"})
    msp.add_line((6000 - 120, 0), (6000 - 120, 4500), dxfattribs={"layer": "WALL"})
    msp.add_line((6000 + 120, 0), (6000 + 120, 4500), dxfattribs={"layer": "WALL"})
    msp.add_line((6000 - 120, 5500), (6000 - 120, 12000), dxfattribs={"layer": "WALL"})
    msp.add_line((6000 + 120, 5500), (6000 + 120, 12000), dxfattribs={"layer": "WALL"})
    msp.add_arc((6000 + 120, 4500), 1000, 0, 90, dxfattribs={"layer": "DOOR"})
    msp.add_line((6000 + 120, 4500), (7120, 4500), dxfattribs={"layer": "DOOR"})

    # Ducts: a supply run with a branch, a return run, as double lines.
    def duct(points, width):
        for side in (-width / 2, width / 2):
            if points[0][0] == points[1][0]:
                msp.add_line((points[0][0] + side, points[0][1]), (points[1][0] + side, points[1][1]),
                             dxfattribs={"layer": "DUCT"})
            else:
                msp.add_line((points[0][0], points[0][1] + side), (points[1][0], points[1][1] + side),
                             dxfattribs={"layer": "DUCT"})
    duct([(9500, 9000), (17000, 9000)], 800)
    duct([(13000, 9400), (13000, 11500)], 500)
    duct([(9500, 3000), (17000, 3000)], 630)
    msp.add_text("送风管 800×400", height=350, dxfattribs={"layer": "TEXT", "insert": (14000, 9600)})
    msp.add_text("回风管 630×320", height=350, dxfattribs={"layer": "TEXT", "insert": (14000, 3500)})
    msp.add_text("风机房", height=700, dxfattribs={"layer": "TEXT", "insert": (1500, 9500)})
    msp.add_text("空调机房", height=700, dxfattribs={"layer": "TEXT", "insert": (12500, 6000)})
    msp.add_text("Plant room L1", height=350, dxfattribs={"layer": "TEXT", "insert": (1500, 8700)})

    doc.saveas(out)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
