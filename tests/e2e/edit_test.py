#!/usr/bin/python3
"""Editing the drawing end to end: fans placed with FAN on the sample library, then
MOVE, ROTATE, COPY, ERASE, UNDO, REDO, U, LAYER and PURGE in `fancad --headless`
scripts. Every step saves the drawing; the saved drawings are read back by ezdxf,
compared entity by entity, and checked by the project's drawing checker.

Usage: edit_test.py --fancad BIN --checker PY (ZR_DATALIB, ZR_DWGLIB set)
"""
import sys

import ezdxf

import fancad_e2e as e2e


def place(x, y, angle=0):
    """One FAN command placing 4-72 No. 4.5 A (front view, left hand) at (x, y)."""
    return ("FAN\ndlg select 1012 4-72\ndlg select 1014 4.5\ndlg select 1015 A\n"
            f"dlg select 1016 2900\ndlg click 1008\n{angle}\n{x},{y}\ndlg ok\n")


def near(x, y):
    """A crossing box around (x, y): it meets the fan placed there and nothing else."""
    return f"c {x - 5},{y - 5} {x + 5},{y + 5}"


def base_drawing(path):
    doc = ezdxf.new("R2010")
    doc.header["$DIMSTYLE"] = "Standard"
    doc.layers.add("USED", color=3)
    doc.layers.add("IDLE", color=5)
    doc.modelspace().add_line((0, 0), (40, 0), dxfattribs={"layer": "USED"})
    doc.modelspace().add_circle((20, 10), 5)
    doc.blocks.new(name="SPARE").add_line((0, 0), (1, 1))
    kept = doc.blocks.new(name="KEPT")
    kept.add_circle((0, 0), 1)
    doc.modelspace().add_blockref("KEPT", (-50, -50))
    doc.saveas(path)


def entities(path):
    """Model space by handle: type, block, position, rotation, layer, xdata, attributes."""
    out = {}
    for e in ezdxf.readfile(path).modelspace():
        d = {"type": e.dxftype(), "layer": e.dxf.layer}
        if e.dxftype() == "INSERT":
            d.update(name=e.dxf.name, insert=tuple(round(v, 6) for v in e.dxf.insert),
                     rotation=round(e.dxf.rotation % 360, 6),
                     attribs=[(a.dxf.tag, a.dxf.text, tuple(round(v, 6) for v in a.dxf.insert))
                              for a in e.attribs])
        d["xdata"] = ({app: [(t.code, t.value) for t in tags]
                       for app, tags in e.xdata.data.items()} if e.xdata else {})
        out[e.dxf.handle] = d
    return out


def blocks(path):
    return sorted(b.name for b in ezdxf.readfile(path).blocks if not b.name.startswith("*"))


def layers(path):
    return sorted(l.dxf.name for l in ezdxf.readfile(path).layers)


def without_record(data):
    """A fan's xdata without our own record, whose tag a copy renews."""
    return {app: tags for app, tags in data.items() if app != "ZRFAN_RECORD"}


def fans(ents):
    return {h: e for h, e in ents.items() if e["type"] == "INSERT" and e["xdata"]}


class EditScripts(e2e.Scenario):
    def setUp(self):
        super().setUp()
        base_drawing(self.path("base.dxf"))

    def fancad(self, script):
        return self.assertRan(e2e.run(script.splitlines(), cwd=self.dir, args=["base.dxf"],
                                      timeout=120))

    def saved(self, name):
        self.assertDrawingClean(self.path(name))
        return entities(self.path(name))

    def test_edit_sequence_undo_and_redo_entity_by_entity(self):
        script = ("SAVEAS s0.dxf\n" + place(1000, 500) + "SAVEAS s1.dxf\n" +
                  place(3000, 500) + "SAVEAS s2.dxf\n" +
                  f"MOVE\n{near(1000, 500)}\n\n1000,500\n1100,550\n"
                  "SAVEAS s3.dxf\nSAVE\n"
                  f"ROTATE\n{near(3000, 500)}\n\n3000,500\n90\nSAVEAS s4.dxf\n"
                  f"COPY\n{near(1100, 550)}\n\n0,0\n0,3000\n\nSAVEAS s5.dxf\n"
                  f"ERASE\n{near(3000, 500)}\n\nSAVEAS s6.dxf\n"
                  "UNDO 3\nSAVEAS u3.dxf\nREDO\nSAVEAS r1.dxf\n"
                  "UNDO\n100\nSAVEAS u100.dxf\nREDO\nSAVEAS r100.dxf\nQUIT\n")
        out = self.fancad(script)
        s = [self.saved(f"s{i}.dxf") for i in range(7)]
        # Each FAN command added one fan.
        a = (set(fans(s[1])) - set(fans(s[0]))).pop()
        b = (set(fans(s[2])) - set(fans(s[1]))).pop()
        self.assertEqual(fans(s[0]), {})
        self.assertEqual(s[2][a], s[1][a])
        # MOVE: the same fan (handle, xdata, attributes) 100,50 further.
        moved = dict(s[2][a], insert=(1100.0, 550.0, 0.0),
                     attribs=[(t, v, (p[0] + 100, p[1] + 50, p[2])) for t, v, p in s[2][a]["attribs"]])
        self.assertEqual(s[3][a], moved)
        self.assertEqual(s[3][b], s[2][b])
        # ROTATE: turned 90 degrees about its own insertion point.
        self.assertEqual(s[4][b]["rotation"], 90.0)
        self.assertEqual(s[4][b]["insert"], s[3][b]["insert"])
        self.assertEqual(s[4][b]["xdata"], s[3][b]["xdata"])
        # COPY: a new fan with the same placement data, 3000 above, under the next free tag.
        new = set(s[5]) - set(s[4])
        self.assertEqual(len(new), 1)
        c = new.pop()
        self.assertEqual(without_record(s[5][c]["xdata"]), without_record(s[4][a]["xdata"]))
        self.assertEqual([[v for t, v, _ in s[5][f]["attribs"] if t == "ZRFAN_TAG"]
                          for f in (a, b, c)], [["F-1"], ["F-2"], ["F-3"]])
        self.assertEqual(s[5][c]["name"], s[4][a]["name"])
        self.assertEqual(s[5][c]["insert"], (1100.0, 3550.0, 0.0))
        self.assertEqual(s[5][a], s[4][a])
        # ERASE: B is gone, nothing else changed.
        self.assertEqual(set(s[5]) - set(s[6]), {b})
        # UNDO 3 is back at the drawing after ROTATE; REDO at the one after COPY.
        self.assertEqual(self.saved("u3.dxf"), s[3])
        self.assertEqual(self.saved("r1.dxf"), s[4])
        self.assertIn("Undone: ERASE COPY ROTATE", out)
        # UNDO 100 stops at the drawing as opened, fan blocks included.
        self.assertEqual(self.saved("u100.dxf"), s[0])
        self.assertIn("Everything has been undone", out)
        self.assertEqual(blocks(self.path("u100.dxf")), blocks(self.path("s0.dxf")))
        self.assertEqual(self.saved("r100.dxf"), s[1])
        self.assertEqual(blocks(self.path("r100.dxf")), blocks(self.path("s1.dxf")))

    def test_purge_removes_only_what_nothing_references(self):
        script = (place(1000, 500) + place(3000, 500) +
                  f"ERASE\n{near(3000, 500)}\n\nSAVEAS before.dxf\nPURGE\n\nSAVEAS after.dxf\n"
                  "PURGE\n\nU\nSAVEAS undone.dxf\n")
        out = self.fancad(script)
        before, after = self.path("before.dxf"), self.path("after.dxf")
        self.saved("after.dxf")
        gone_blocks = set(blocks(before)) - set(blocks(after))
        gone_layers = set(layers(before)) - set(layers(after))
        # The two fans share a model and view, so the erased one's block is still used.
        self.assertEqual(gone_blocks, {"SPARE"})
        self.assertIn("IDLE", gone_layers)
        self.assertIn('Deleting block "SPARE".', out)
        # What is referenced stays: the fan still there, its layers, USED.
        ents = entities(after)
        self.assertFalse(gone_layers & ({e["layer"] for e in ents.values()} | {"0"}))
        self.assertEqual(len(fans(ents)), 1)
        self.assertIn("No unreferenced blocks or layers found.", out)
        self.assertEqual(blocks(self.path("undone.dxf")), blocks(before))
        self.assertEqual(layers(self.path("undone.dxf")), layers(before))

    def test_u_redo_layer_options_and_undo(self):
        out = self.fancad(f"MOVE\n{near(20, 10)}\n\n0,0\n5,5\nU\nREDO\nREDO\nSAVEAS m.dxf\n"
                          "LAYER\nM\nFANS\nOFF\nIDLE\nF\nUSED\n?\n*\n\nSAVEAS l1.dxf\n"
                          "LAYER\nF\nFANS\nS\nIDLE\nS\nNOSUCH\n\n"
                          "UNDO 2\nSAVEAS l0.dxf\nQUIT\n")
        for words in ("Undone: MOVE", "Redone: MOVE", "Nothing to redo.",
                      'Cannot freeze layer "FANS". It is the CURRENT layer.', 'No layer "NOSUCH".'):
            self.assertIn(words, out)
        self.saved("m.dxf")
        (c,) = ezdxf.readfile(self.path("m.dxf")).modelspace().query("CIRCLE")
        self.assertEqual(tuple(c.dxf.center), (25, 15, 0))
        doc = ezdxf.readfile(self.path("l1.dxf"))
        self.assertEqual(doc.header["$CLAYER"], "FANS")
        self.assertTrue(doc.layers.get("IDLE").is_off())
        self.assertTrue(doc.layers.get("USED").is_frozen())
        self.saved("l0.dxf")
        doc = ezdxf.readfile(self.path("l0.dxf"))
        self.assertNotIn("FANS", [l.dxf.name for l in doc.layers])
        self.assertEqual(doc.header["$CLAYER"], "0")
        self.assertFalse(doc.layers.get("IDLE").is_off())
        c = doc.modelspace().query("CIRCLE")[0]
        self.assertEqual(tuple(c.dxf.center), (25, 15, 0), "UNDO 2 undid the LAYERs only")


if __name__ == "__main__":
    sys.exit(e2e.main("--checker", sample=False))
