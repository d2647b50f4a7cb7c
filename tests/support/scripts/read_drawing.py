#!/usr/bin/python3
"""What a drawing holds as ezdxf reads it, as one JSON document on standard output:
the layers with their colours, the registered applications, every block but the layouts
with its base point and entities, and the model space's entities. Each entity: type,
layer, xdata by application; a LINE also its ends, an INSERT its block, an ATTDEF its tag.
Usage: read_drawing.py FILE"""
import json
import sys

import ezdxf


def point(p):
    return [round(v, 9) + 0.0 for v in p]


def entity(e):
    out = {"type": e.dxftype(), "layer": e.dxf.get("layer", "0")}
    if e.dxftype() == "INSERT":
        out["block"] = e.dxf.name
    if e.dxftype() == "ATTDEF":
        out["tag"] = e.dxf.tag
    if e.dxftype() == "LINE":
        out.update(start=point(e.dxf.start), end=point(e.dxf.end))
    out["xdata"] = {app: [t.value for t in tags if t.code != 1001]
                    for app, tags in (e.xdata.data.items() if e.xdata else [])}
    return out


doc = ezdxf.readfile(sys.argv[1])
json.dump({
    "layers": {l.dxf.name: l.dxf.color for l in doc.layers},
    "appids": sorted(a.dxf.name for a in doc.appids),
    "blocks": {b.name: {"base": point(b.block.dxf.base_point), "entities": [entity(e) for e in b]}
               for b in doc.blocks if not b.name.lower().startswith(("*model", "*paper"))},
    "modelspace": [entity(e) for e in doc.modelspace()],
}, sys.stdout, ensure_ascii=False)
