#!/usr/bin/python3
"""What a drawing holds as ezdxf reads it, as one JSON document on standard output:
the current layer, the layers with their colours, the registered applications, every
block but the layouts with its base point and entities, and the model space's entities.
Each entity: type, layer, colour; an INSERT also its block, point, rotation (degrees),
scale, xdata by application and attributes. Usage: read_drawing.py FILE"""
import json
import sys

import ezdxf


def point(p):
    return [round(v, 9) + 0.0 for v in p]


def entity(e):
    out = {"type": e.dxftype(), "layer": e.dxf.get("layer", "0"), "color": e.dxf.get("color", 256)}
    if e.dxftype() == "INSERT":
        out.update(block=e.dxf.name, insert=point(e.dxf.insert), rotation=e.dxf.get("rotation", 0),
                   scale=[e.dxf.get("xscale", 1), e.dxf.get("yscale", 1), e.dxf.get("zscale", 1)])
        out["attribs"] = [{"tag": a.dxf.tag, "text": a.dxf.text, "insert": point(a.dxf.insert),
                           "align": point(a.dxf.get("align_point", (0, 0, 0))),
                           "height": a.dxf.height, "rotation": a.dxf.get("rotation", 0)}
                          for a in e.attribs]
    if e.dxftype() == "ATTDEF":
        out.update(tag=e.dxf.tag, prompt=e.dxf.get("prompt", ""), insert=point(e.dxf.insert))
    if e.dxftype() == "LINE":
        out.update(start=point(e.dxf.start), end=point(e.dxf.end))
    xdata = {}
    if e.xdata:
        for app, tags in e.xdata.data.items():
            xdata[app] = [t.value for t in tags if t.code != 1001]
    out["xdata"] = xdata
    return out


doc = ezdxf.readfile(sys.argv[1])
result = {
    "clayer": doc.header.get("$CLAYER", "0"),
    "layers": {l.dxf.name: l.dxf.color for l in doc.layers},
    "appids": sorted(a.dxf.name for a in doc.appids),
    "blocks": {b.name: {"base": point(b.block.dxf.base_point), "entities": [entity(e) for e in b]}
               for b in doc.blocks if not b.name.lower().startswith(("*model", "*paper"))},
    "modelspace": [entity(e) for e in doc.modelspace()],
}
json.dump(result, sys.stdout, ensure_ascii=False)
