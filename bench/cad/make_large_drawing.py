#!/usr/bin/python3
"""Writes the benchmark drawing with ezdxf: 200,000 lines, 1,000 blocks of 20 entities and
5,000 references with an attribute and xdata.  The lines lie at computed positions, as in a
drawn plan, so their coordinates carry every digit of a double (37.8 MB in all).
Usage: make_large_drawing.py OUT.dxf"""
import sys
import ezdxf

doc = ezdxf.new('R2010')
doc.appids.new('ZRFAN')
for b in range(1000):
    blk = doc.blocks.new(f'BLOCK_{b}')
    for e in range(20):
        if e % 4 == 0:
            blk.add_line((0, e), (e, b))
        elif e % 4 == 1:
            blk.add_circle((e, b), 1 + e)
        elif e % 4 == 2:
            blk.add_arc((e, b), 2, 0, 90)
        else:
            blk.add_text(f'T{e}', dxfattribs={'insert': (e, b), 'height': 1})
msp = doc.modelspace()
for i in range(200000):
    x, y = i * 1.0471975511965976, (i % 1000) * 0.7071067811865476
    msp.add_line((x, y), (x, y + 100.5 + i / 7))
for i in range(5000):
    ref = msp.add_blockref(f'BLOCK_{i % 1000}', (i, i))
    ref.add_attrib('FAN', f'F{i}', (i, i + 1))
    ref.set_xdata('ZRFAN', [(1000, '4-72No4.5A_2900'), (1070, 1)])
doc.saveas(sys.argv[1])
