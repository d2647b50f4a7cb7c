#!/usr/bin/python3
"""Builds a test drawing with ezdxf: blocks, attributes, xdata, Chinese names and an entity
kind the CAD runtime keeps without modeling.  Usage: make_drawing.py R12|R2000|R2010 OUT [ENCODING]
ENCODING is a Python codec name; gbk gives $DWGCODEPAGE ANSI_936."""
import sys
import ezdxf

version, out = sys.argv[1], sys.argv[2]
doc = ezdxf.new(version)
if len(sys.argv) > 3:
    doc.encoding = sys.argv[3]
doc.appids.new('ZRFAN')
doc.layers.new('风机层', dxfattribs={'color': 3})
doc.layers.new('HIDDEN_ONES', dxfattribs={'color': 5}).off()

inner = doc.blocks.new('内部块', base_point=(1, 1))
inner.add_circle((1, 1), 0.5, dxfattribs={'layer': '风机层'})

blk = doc.blocks.new('F_L0', base_point=(0, 0))
blk.add_line((0, 0), (10, 0))
blk.add_arc((5, 5), 2, 0, 90)
blk.add_blockref('内部块', (3, 3), dxfattribs={'xscale': 2, 'yscale': 2, 'rotation': 30})
blk.add_attdef('TAG1', (1, 2), dxfattribs={'prompt': '型号', 'height': 2.5})
blk.add_attdef('TAG2', (1, -2), text='默认', dxfattribs={'prompt': 'P2', 'height': 1.5})

msp = doc.modelspace()
msp.add_line((0, 0), (100, 50), dxfattribs={'layer': '风机层', 'color': 1})
msp.add_circle((20, 20), 7.5)
msp.add_arc((40, 0), 5, 45, 270, dxfattribs={'layer': 'HIDDEN_ONES'})
msp.add_text('离心式风机 text', dxfattribs={'height': 3.5, 'rotation': 15, 'insert': (5, 60)})
msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0), (10, 10)], format='xyseb') if version != 'R12' \
    else msp.add_polyline2d([(0, 0), (10, 0), (10, 10)])
msp.add_3dface([(0, 0, 0), (1, 0, 0), (1, 1, 1), (0, 1, 1)], dxfattribs={'layer': '风机层'})
if version != 'R12':
    msp.add_mtext('多行\\P文字', dxfattribs={'char_height': 2.0, 'insert': (50, 50)})
    msp.add_xline((0, 0), (1, 1))
ref = msp.add_blockref('F_L0', (200, 100), dxfattribs={'rotation': 90, 'xscale': 1.5,
                                                      'yscale': 1.5, 'zscale': 1.5})
ref.add_auto_attribs({'TAG1': '4-72No4.5A', 'TAG2': '值二'})
ref.set_xdata('ZRFAN', [(1000, '4-72No4.5A_2900'), (1000, '离心式风机'), (1070, 2),
                        (1040, 3.25), (1010, (1, 2, 3))])
doc.saveas(out)
