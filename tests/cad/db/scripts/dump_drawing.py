#!/usr/bin/python3
"""Prints what a drawing holds, without handles, as one JSON document, so that two drawings
can be compared; with --header instead who saved it ($LASTSAVEDBY), the layouts, and what
ezdxf's loader warned of (its audit is the drawing checker's).
Usage: dump_drawing.py FILE [--header]"""
import json
import logging
import sys
import ezdxf

SKIP = {'handle', 'owner', 'paperspace', 'plotstyle_handle', 'material_handle',
        'layout', 'style', 'extrusion'}


def value(v):
    if isinstance(v, float):
        return round(v, 6) + 0.0
    if hasattr(v, '__iter__') and not isinstance(v, str):
        return [value(x) for x in v]
    return v


def entity(e):
    attrs = {k: value(v) for k, v in e.dxfattribs().items() if k not in SKIP}
    if attrs.get('color') == 256:
        del attrs['color']
    out = {'type': e.dxftype(), 'attrs': attrs}
    if e.dxftype() == 'INSERT':
        out['attribs'] = [entity(a) for a in e.attribs]
    if e.dxftype() == 'LWPOLYLINE':
        out['points'] = value(list(e.get_points()))
    if e.dxftype() == 'POLYLINE':
        out['points'] = value([list(v.dxf.location) for v in e.vertices])
    if e.dxftype() == 'MTEXT':
        out['text'] = e.text
    xd = {}
    if e.xdata:
        for app, tags in e.xdata.data.items():
            xd[app] = [[t.code, value(t.value)] for t in tags]
    out['xdata'] = xd
    return out


warnings, header = [], sys.argv[2:] == ['--header']
if header:  # otherwise warnings go to stderr, which the tests read with the dump
    collect = logging.Handler(logging.WARNING)
    collect.emit = lambda record: warnings.append(record.getMessage())
    logging.getLogger('ezdxf').addHandler(collect)
doc = ezdxf.readfile(sys.argv[1])
result = {'lastsavedby': doc.header.get('$LASTSAVEDBY'), 'layouts': sorted(doc.layouts.names()),
          'warnings': warnings} if header else {
    'layers': sorted([l.dxf.name, l.dxf.color, l.is_off(), l.is_frozen()] for l in doc.layers),
    'blocks': {b.name: {'base': value(b.block.dxf.base_point), 'entities': [entity(e) for e in b]}
               for b in doc.blocks if not b.name.lower().startswith(('*model', '*paper'))},
    'modelspace': [entity(e) for e in doc.modelspace()],
    'appids': sorted(a.dxf.name.upper() for a in doc.appids),
}
json.dump(result, sys.stdout, ensure_ascii=False, indent=1, sort_keys=True)
