#!/usr/bin/python3
"""Writes seed inputs for insert_fuzz into a folder: NAME '\\n' TARGET '\\0' SOURCE, with
drawings made by ezdxf (a block named like the drawing's insert, nested blocks, attributes,
xdata) and small hand-made R12 files, which run fast.  Usage: make_insert_seeds.py OUT_DIR"""
import io
import os
import sys

import ezdxf


def made_by_ezdxf(version):
    doc = ezdxf.new(version)
    doc.appids.new("ZRFAN")
    doc.blocks.new("loop").add_line((0, 0), (1, 1))
    for i in reversed(range(4)):
        block = doc.blocks.new(f"B{i}")
        if i < 3:
            block.add_blockref(f"B{i + 1}", (1, 0), dxfattribs={"rotation": 30.0})
        else:
            block.add_line((0, 0), (1, 0))
    fan = doc.blocks.new("F_L0")
    fan.add_arc((5, 5), 2, 10.1, 40.3)
    fan.add_attdef("TAG", (1, 2), dxfattribs={"height": 2.5})
    msp = doc.modelspace()
    msp.add_blockref("loop", (0, 0))
    msp.add_blockref("B0", (0, 0))
    ref = msp.add_blockref("F_L0", (10, 20))
    ref.add_auto_attribs({"TAG": "4-72No4.5A"})
    ref.set_xdata("ZRFAN", [(1000, "4-72No4.5A_2900"), (1040, 3.25)])
    msp.add_circle((5, 5), 1)
    stream = io.StringIO()
    doc.write(stream)
    return stream.getvalue().encode("utf-8")


def pairs(*items):
    return "".join(f"{code}\n{value}\n" for code, value in items).encode("ascii")


def small_r12(blocks, entities):
    """A minimal R12 file, read on top of the default drawing."""
    return (pairs((0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1009"), (0, "ENDSEC"),
                  (0, "SECTION"), (2, "BLOCKS")) + blocks +
            pairs((0, "ENDSEC"), (0, "SECTION"), (2, "ENTITIES")) + entities +
            pairs((0, "ENDSEC"), (0, "EOF")))


def block(name, *entities):
    return (pairs((0, "BLOCK"), (8, "0"), (2, name), (70, 0), (10, 0), (20, 0), (30, 0)) +
            b"".join(entities) + pairs((0, "ENDBLK"), (8, "0")))


def insert(name):
    return pairs((0, "INSERT"), (8, "0"), (2, name), (10, 1), (20, 2), (30, 0), (50, "30.0"))


LINE = pairs((0, "LINE"), (8, "0"), (10, 0), (20, 0), (30, 0), (11, 1), (21, 1), (31, 0))
CIRCLE = pairs((0, "CIRCLE"), (8, "L1"), (10, 5), (20, 5), (30, 0), (40, 1))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sources = [(v, made_by_ezdxf(v)) for v in ("R12", "R2000", "R2010")]
    sources += [("small_self_named", small_r12(block("loop", LINE), insert("loop") + CIRCLE)),
                ("small_nested", small_r12(block("A", insert("B")) + block("B", LINE), insert("A")))]
    targets = [b"", small_r12(block("B1", CIRCLE) + block("X", insert("B1")), insert("X"))]
    count = 0
    for name in (b"loop", b"B1", b"F_L0"):
        for target in targets:
            for label, source in sources:
                with open(os.path.join(out, f"seed{count:03d}_{label}"), "wb") as f:
                    f.write(name + b"\n" + (target + b"\0" if target else b"") + source)
                count += 1
    print(f"{count} seeds in {out}")


if __name__ == "__main__":
    main()
