#!/usr/bin/python3
"""Writes seed inputs for insert_fuzz into a folder: NAME '\\n' TARGET '\\0' SOURCE, with
drawings made by ezdxf (several releases, nested and self-named blocks, attributes, xdata).
Usage: make_insert_seeds.py OUT_DIR"""
import io
import os
import sys

import ezdxf


def text_of(doc):
    stream = io.StringIO()
    doc.write(stream)
    return stream.getvalue().encode("utf-8")


def self_named(version):
    """The drawing of the report: block 'loop' holds a LINE, model space INSERT loop, CIRCLE."""
    doc = ezdxf.new(version)
    doc.blocks.new("loop").add_line((0, 0), (1, 1))
    doc.modelspace().add_blockref("loop", (0, 0))
    doc.modelspace().add_circle((5, 5), 1)
    return doc


def nested(version, depth=6):
    doc = ezdxf.new(version)
    for i in reversed(range(depth)):
        block = doc.blocks.new(f"B{i}")
        if i + 1 < depth:
            block.add_blockref(f"B{i + 1}", (1, 0), dxfattribs={"rotation": 30.0})
        else:
            block.add_line((0, 0), (1, 0))
    doc.modelspace().add_blockref("B0", (0, 0))
    return doc


def with_attributes(version):
    doc = ezdxf.new(version)
    doc.appids.new("ZRFAN")
    block = doc.blocks.new("F_L0")
    block.add_arc((5, 5), 2, 10.1, 40.3)
    block.add_attdef("TAG", (1, 2), dxfattribs={"height": 2.5})
    ref = doc.modelspace().add_blockref("F_L0", (10, 20))
    ref.add_auto_attribs({"TAG": "4-72No4.5A"})
    ref.set_xdata("ZRFAN", [(1000, "4-72No4.5A_2900"), (1040, 3.25)])
    return doc


def pairs(*items):
    return "".join(f"{code}\n{value}\n" for code, value in items).encode("ascii")


def small_r12(blocks, entities):
    """A minimal R12 file (read on top of the default drawing): small inputs run fast."""
    return (pairs((0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1009"), (0, "ENDSEC"),
                  (0, "SECTION"), (2, "BLOCKS")) + blocks + pairs((0, "ENDSEC"), (0, "SECTION"),
                                                                    (2, "ENTITIES")) +
            entities + pairs((0, "ENDSEC"), (0, "EOF")))


def block(name, *entities):
    return pairs((0, "BLOCK"), (8, "0"), (2, name), (70, 0), (10, 0), (20, 0), (30, 0)) + \
        b"".join(entities) + pairs((0, "ENDBLK"), (8, "0"))


def insert(name, rotation="30.0"):
    return pairs((0, "INSERT"), (8, "0"), (2, name), (10, 1), (20, 2), (30, 0), (50, rotation))


LINE = pairs((0, "LINE"), (8, "0"), (10, 0), (20, 0), (30, 0), (11, 1), (21, 1), (31, 0))
CIRCLE = pairs((0, "CIRCLE"), (8, "L1"), (10, 5), (20, 5), (30, 0), (40, 1))
ARC = pairs((0, "ARC"), (8, "0"), (10, 0), (20, 0), (30, 0), (40, 1), (50, "10.1"), (51, "40.3"))


def small_sources():
    return [("small_self_named", small_r12(block("loop", LINE), insert("loop") + CIRCLE)),
            ("small_nested", small_r12(block("A", insert("B"), ARC) + block("B", LINE),
                                       insert("A") + insert("B", "45.7"))),
            ("small_plain", small_r12(b"", LINE + CIRCLE + ARC))]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    sources = []
    for version in ("R12", "R2000", "R2010"):
        for make in (self_named, nested, with_attributes):
            sources.append((make.__name__ + "_" + version, text_of(make(version))))
    sources += small_sources()
    targets = [b"", small_r12(block("B1", CIRCLE) + block("X", insert("B1")), insert("X")),
               text_of(nested("R2010", 3))]
    count = 0
    for name in (b"loop", b"B1", b"F_L0"):
        for target in targets:
            for label, source in sources:
                seed = name + b"\n" + (target + b"\0" if target else b"") + source
                with open(os.path.join(out, f"seed{count:03d}_{label}"), "wb") as f:
                    f.write(seed)
                count += 1
    print(f"{count} seeds in {out}")


if __name__ == "__main__":
    main()
