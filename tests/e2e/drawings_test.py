#!/usr/bin/python3
"""Fan placement and view drawings end to end: scripts through `fancad --headless` on the
generated sample catalogue and a view drawing the scenario writes with ezdxf (as another
CAD program would); the drawings fancad writes are read back by ezdxf and checked by the
project's drawing checker. (Preview, adding view blocks: tests/drawings.)

Usage: drawings_test.py --fancad BIN --fangen BIN --checker PY [unittest args]
"""
import os
import sqlite3
import subprocess
import sys

import ezdxf

import fancad_e2e as e2e
from fancad_e2e import boxes, control, dumps, inserts, xdata

VIEW = "4-72No4.5A"
MODEL = ["dlg select 1012 4-72", "dlg select 1014 4.5", "dlg select 1015 A",
         "dlg select 1016 2900"]


def new_drawing():
    """A new ezdxf drawing whose header names only dimension styles it has (ezdxf's own
    default names ISO-25, which its new drawings lack)."""
    doc = ezdxf.new("R2010")
    doc.header["$DIMSTYLE"] = "Standard"
    return doc


def view_drawing(path):
    """A view drawing: each block a scroll-like outline of four entities (a closed polyline,
    a circle and two lines); F_L0 also has an attribute definition (five entities)."""
    doc = new_drawing()
    doc.layers.add("OUTLINE", color=3)
    doc.layers.add("MOTOR", color=1)
    for name in ("F_L0", "F_L90", "S_L0", "B_L0"):
        block = doc.blocks.new(name=name)
        block.add_lwpolyline([(-20, -12), (20, -12), (20, 12), (-20, 12)], close=True,
                             dxfattribs={"layer": "OUTLINE"})
        block.add_circle((0, 0), 6, dxfattribs={"layer": "OUTLINE"})
        block.add_line((-20, 0), (20, 0), dxfattribs={"layer": "MOTOR"})
        block.add_line((0, -12), (0, 12), dxfattribs={"layer": "MOTOR"})
        if name == "F_L0":
            block.add_attdef("TAG", (5, 5), dxfattribs={"height": 2.5, "prompt": "型号"})
    doc.saveas(path)


def placement(ref):
    """The placement entries of a fan's xdata, without our own record."""
    return {app: values for app, values in xdata(ref).items() if app != "ZRFAN_RECORD"}


class Drawings(e2e.Scenario):
    def setUp(self):
        super().setUp()
        os.makedirs(self.path("dwg", "Fan"))
        self.view = self.path("dwg", "Fan", VIEW + ".dwg")
        view_drawing(self.view)
        self.catalogue = e2e.Catalogue(self.path("data")).path
        self.base = self.path("base.dxf")
        base = new_drawing()  # the designer's drawing: a line and a circle
        base.modelspace().add_line((0, 0), (40, 0))
        base.modelspace().add_circle((20, 10), 5)
        base.saveas(self.base)
        self.env = {"ZR_DATALIB": self.path("data"), "ZR_DWGLIB": self.path("dwg")}

    def fancad(self, *lines):
        return self.assertRan(e2e.run(["FAN", *MODEL, *lines, "QUIT"], self.env, self.dir,
                                      [self.base]))

    def saved(self):
        """The drawing the script saved, checked."""
        self.assertDrawingClean(self.path("out.dxf"))
        return ezdxf.readfile(self.path("out.dxf"))

    def test_placed_fans_stand_on_their_layer_with_the_models_data_and_share_definitions(self):
        """The xdata of a placed fan (Model, LabelModel, PLAN, NAME, VACType, in this order),
        its block's name and its layer are what other programs read off the drawing."""
        out = self.fancad("dlg click 1008", "30", "100,50", "dlg click 1008", "90", "50,0",
                          "dlg click 1027", "dlg click 1008", "", "100,0", "dlg click 1028",
                          "dlg click 1008", "180", "150,0", "dlg ok", "LIST LAST", "SAVEAS out.dxf")
        self.assertIn('Xdata "Model": "4-72No4.5A_2900"', out)
        doc = self.saved()
        self.assertEqual(doc.header["$CLAYER"], "0", "the current layer is the same after")
        refs = [e for e in doc.modelspace() if e.dxftype() == "INSERT"]
        self.assertEqual([r.dxf.name for r in refs],
                         ["4-72No4.5AF_L0", "4-72No4.5AF_L0", "4-72No4.5AS_L0", "4-72No4.5AB_L0"])
        self.assertEqual({r.dxf.layer for r in refs}, {"AC_EQUIPMENT"})
        self.assertEqual(tuple(refs[0].dxf.insert), (100, 50, 0))
        self.assertEqual([round(r.dxf.rotation, 9) for r in refs], [30, 90, 0, 180])
        with sqlite3.connect(self.catalogue) as db:
            (label,) = db.execute("SELECT LabelModel FROM Model WHERE BigModel='4-72' AND "
                                  "FanNo=4.5 AND DriveMode='A' AND Speed=2900").fetchone()
        # The five placement entries come first, as they always were; our own record of
        # the selection follows them under an application of its own.
        data = xdata(refs[0])
        self.assertEqual(list(data.items())[:5], [("Model", ["4-72No4.5A_2900"]),
                                                  ("LabelModel", [label]), ("PLAN", ["0"]),
                                                  ("NAME", ["离心式风机"]), ("VACType", ["FAN"])])
        self.assertEqual(list(data)[5:], ["ZRFAN_RECORD"])
        self.assertEqual([xdata(r)["PLAN"] for r in refs], [["0"], ["0"], ["1"], ["2"]])
        self.assertEqual(placement(refs[1]), placement(refs[0]))
        placed = [b.name for b in doc.blocks if b.name.startswith("4-72No4.5A")]
        self.assertEqual(sorted(placed), ["4-72No4.5AB_L0", "4-72No4.5AF_L0", "4-72No4.5AS_L0"])
        self.assertEqual(len(doc.blocks.get("4-72No4.5AF_L0")), 5)
        self.assertEqual([a.dxf.tag for a in refs[0].attribs], ["TAG", "ZRFAN_TAG"])
        self.assertEqual([r.get_attrib_text("ZRFAN_TAG") for r in refs],
                         ["F-1", "F-2", "F-3", "F-4"])
        self.assertIn("AC_EQUIPMENT", doc.layers)
        self.assertEqual(doc.layers.get("MOTOR").color, 1, "the block's layers come along")

    def test_a_model_without_catalogue_row_carries_only_its_model(self):
        """The model's row goes while the dialog shows it."""
        fancad = subprocess.Popen([e2e.ARGS.fancad, "--headless", self.base], cwd=self.dir,
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  env=dict(os.environ, **self.env))
        fancad.stdin.write("\n".join(["FAN", *MODEL, "dlg dump"]) + "\n")
        fancad.stdin.flush()
        self.assertTrue(any(line.startswith("DUMP ") for line in fancad.stdout), "no dialog")
        with sqlite3.connect(self.catalogue) as db:
            db.execute("DELETE FROM Model WHERE BigModel='4-72' AND Speed=2900")
        out = fancad.communicate("dlg click 1008\n0\n10,10\ndlg ok\nSAVEAS out.dxf\nQUIT\n",
                                 timeout=60)[0]
        self.assertEqual(fancad.returncode, 0, out)
        self.saved()
        (ref,) = inserts(self.path("out.dxf"))
        self.assertEqual(placement(ref), {"Model": ["4-72No4.5A_2900"]})

    def test_a_view_block_is_deleted_from_the_view_drawing_only_when_the_user_agrees(self):
        out = self.fancad("dlg select 1017 90", "dlg click 206", "msg no", "dlg dump",
                          "dlg click 206", "msg yes", "dlg dump", "dlg ok")
        declined, deleted = dumps(out)
        self.assertEqual(control(declined, 1017)["items"], ["0", "90"])
        self.assertEqual(control(deleted, 1017)["items"], ["0"])
        self.assertEqual(boxes(out), [{"caption": "提示", "buttons": "YESNO", "icon": "QUESTION",
                                       "text": "确认删除该图形吗?"}] * 2)
        self.assertDrawingClean(self.view)
        doc = ezdxf.readfile(self.view)
        self.assertNotIn("F_L90", doc.blocks)
        self.assertIn("F_L0", doc.blocks, "the other view blocks stay")

    def test_a_view_drawing_that_cannot_be_read_is_never_written(self):
        for content in (b"", b"AC1018\x00\x00\x11\x80binary", bytes(range(256))):
            with self.subTest(content=content[:12]):
                with open(self.view, "wb") as f:
                    f.write(content)
                out = self.fancad("dlg click 1008", "dlg click 204", "msg ok", "dlg click 206",
                                  "dlg ok")
                self.assertNotIn("请输入风机插入角度", out)
                (box,) = boxes(out)
                self.assertTrue(box["text"].startswith("图形文件"), box)
                self.assertIn("无法读取,未作任何修改!", box["text"])
                with open(self.view, "rb") as f:
                    self.assertEqual(f.read(), content, "the old file is intact")


if __name__ == "__main__":
    sys.exit(e2e.main("--checker"))
