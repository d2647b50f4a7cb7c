#!/usr/bin/python3
"""View drawings, preview, view blocks and fan placement end to end: scripts through
`fancad --headless` on the generated sample catalogue and view drawings each scenario
writes with ezdxf (as another CAD program would); the drawings fancad saves are read
back by ezdxf and checked by the project's drawing checker.

Usage: drawings_test.py --fancad BIN --fangen BIN --checker PY [unittest args]
"""
import os
import sqlite3
import sys

import ezdxf

import fancad_e2e as e2e
from fancad_e2e import Session, boxes, control, dumps, inserts, xdata

VIEW = "4-72No4.5A"
MODEL = ["dlg select 1012 4-72", "dlg select 1014 4.5", "dlg select 1015 A",
         "dlg select 1016 2900"]
CROSS = 4  # the base-point cross of the preview


def new_drawing():
    """A new ezdxf drawing whose header names only dimension styles it has (ezdxf's own
    default names ISO-25, which its new drawings lack)."""
    doc = ezdxf.new("R2010")
    doc.header["$DIMSTYLE"] = "Standard"
    return doc


def outline(block, w, h, layer="OUTLINE"):
    """A scroll-like outline: a closed polyline, a circle and two lines (four entities)."""
    block.add_lwpolyline([(-w, -h), (w, -h), (w, h), (-w, h)], close=True,
                         dxfattribs={"layer": layer})
    block.add_circle((0, 0), min(w, h) / 2, dxfattribs={"layer": layer})
    block.add_line((-w, 0), (w, 0), dxfattribs={"layer": "MOTOR"})
    block.add_line((0, -h), (0, h), dxfattribs={"layer": "MOTOR"})


def view_drawing(path, blocks=("F_L0", "F_L45", "F_L90", "S_L0", "B_L0", "F_R45", "B_R90"),
                 extra=None):
    """A view drawing: each named block an outline of four entities; F_L0 also has an
    attribute definition (five entities)."""
    doc = new_drawing()
    doc.layers.add("OUTLINE", color=3)
    doc.layers.add("MOTOR", color=1)
    for name in blocks:
        block = doc.blocks.new(name=name)
        outline(block, 20, 12)
        if name == "F_L0":
            block.add_attdef("TAG", (5, 5), dxfattribs={"height": 2.5, "prompt": "型号"})
    if extra:
        extra(doc)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    doc.saveas(path)


def base_drawing(path, clayer="0", extra=None):
    """The designer's drawing: a line and a circle, a layer MINE."""
    doc = new_drawing()
    doc.layers.add("MINE", color=5)
    msp = doc.modelspace()
    msp.add_line((0, 0), (40, 0))
    msp.add_circle((20, 10), 5)
    if extra:
        extra(doc)
    doc.header["$CLAYER"] = clayer
    doc.saveas(path)


def preview(dump):
    (p,) = dump["previews"]
    return p


class Scenario(e2e.Scenario):
    def setUp(self):
        super().setUp()
        self.data, self.dwg = self.path("data"), self.path("dwg")
        os.makedirs(os.path.join(self.dwg, "Fan"))
        self.catalogue = e2e.Catalogue(self.data).path
        self.base = self.path("base.dxf")
        self.env = {"ZR_DATALIB": self.data, "ZR_DWGLIB": self.dwg}

    def view(self, name=VIEW):
        return os.path.join(self.dwg, "Fan", name + ".dwg")

    def fancad(self, lines, drawing=None, status=0):
        return self.assertRan(e2e.run(lines, self.env, self.dir, [drawing] if drawing else []),
                              status)

    def saved(self, name="out.dxf"):
        """The drawing the script saved, checked."""
        self.assertDrawingClean(self.path(name))
        return ezdxf.readfile(self.path(name))


class PlaceFan(Scenario):
    def test_placed_fans_stand_on_their_layer_with_the_models_data_and_share_definitions(self):
        """The xdata of a placed fan (Model, LabelModel, PLAN, NAME, VACType, in this order),
        its block's name and its layer are what other programs read off the drawing."""
        view_drawing(self.view())
        base_drawing(self.base)
        out = self.fancad(["FAN", *MODEL, "dlg dump", "dlg click 1008", "30", "100,50",
                           "dlg dump", "dlg click 1008", "90", "50,0", "dlg click 1027",
                           "dlg click 1008", "", "100,0", "dlg click 1028", "dlg click 1008",
                           "180", "150,0", "dlg ok", "LIST LAST", "SAVEAS out.dxf", "QUIT"],
                          self.base)
        before, after = dumps(out)
        self.assertEqual(preview(before), {"id": 210, "shown": True, "entities": 5 + CROSS})
        self.assertTrue(control(after, 1008)["enabled"])
        self.assertIn("请输入风机插入角度:", out)
        self.assertIn("请点取插入点:", out)
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
        data = xdata(refs[0])
        self.assertEqual(list(data.items()), [("Model", ["4-72No4.5A_2900"]),
                                              ("LabelModel", [label]), ("PLAN", ["0"]),
                                              ("NAME", ["离心式风机"]), ("VACType", ["FAN"])])
        self.assertEqual([xdata(r)["PLAN"] for r in refs], [["0"], ["0"], ["1"], ["2"]])
        self.assertEqual(xdata(refs[1]), data)
        placed = [b.name for b in doc.blocks if b.name.startswith("4-72No4.5A")]
        self.assertEqual(sorted(placed), ["4-72No4.5AB_L0", "4-72No4.5AF_L0", "4-72No4.5AS_L0"])
        self.assertEqual(len(doc.blocks.get("4-72No4.5AF_L0")), 5)
        self.assertEqual([a.dxf.tag for a in refs[0].attribs], ["TAG"])
        self.assertIn("AC_EQUIPMENT", doc.layers)
        self.assertEqual(doc.layers.get("MOTOR").color, 1, "the block's layers come along")

    def test_cancelling_at_the_point_prints_the_failure_and_restores_the_layer(self):
        view_drawing(self.view())
        base_drawing(self.base, clayer="MINE")
        out = self.fancad(["FAN", *MODEL, "dlg click 1008", "45", "^C", "dlg dump", "dlg ok",
                           "SAVEAS out.dxf", "QUIT"], self.base)
        self.assertIn("布置失败!", out)
        (dump,) = dumps(out)
        self.assertTrue(control(dump, 1008)["visible"], "the dialog came back")
        doc = self.saved()
        self.assertEqual(doc.header["$CLAYER"], "MINE")
        self.assertEqual(inserts(self.path("out.dxf")), [])
        self.assertIn("AC_EQUIPMENT", doc.layers)

    def test_a_model_without_catalogue_row_carries_only_its_model(self):
        view_drawing(self.view())
        base_drawing(self.base)
        with Session(self.env, [self.base], self.dir) as fancad:
            fancad.dump("FAN", *MODEL)
            with sqlite3.connect(self.catalogue) as db:
                db.execute("DELETE FROM Model WHERE BigModel='4-72' AND Speed=2900")
            self.assertEqual(fancad.close("dlg click 1008", "0", "10,10", "dlg ok",
                                          "SAVEAS out.dxf", "QUIT"), 0)
        self.saved()
        (ref,) = inserts(self.path("out.dxf"))
        self.assertEqual(xdata(ref), {"Model": ["4-72No4.5A_2900"]})

    def test_an_angle_with_letters_is_asked_again_at_the_keyboard_and_stops_a_script(self):
        view_drawing(self.view())
        base_drawing(self.base)
        with Session(self.env, [self.base], self.dir) as fancad:
            self.assertEqual(fancad.close("FAN", *MODEL, "dlg click 1008", "abc", "30", "1,2",
                                          "dlg ok", "SAVEAS out.dxf", "QUIT"), 0)
        (ref,) = inserts(self.path("out.dxf"))
        self.assertAlmostEqual(ref.dxf.rotation, 30, places=9)
        self.fancad(["FAN", *MODEL, "dlg click 1008", "abc", "1,2", "dlg ok",
                     "SAVEAS out2.dxf", "QUIT"], self.base, status=1)
        self.assertFalse(os.path.exists(self.path("out2.dxf")))


class Preview(Scenario):
    def test_view_hand_and_angle_follow_the_view_drawing(self):
        view_drawing(self.view())
        out = self.fancad(["FAN", *MODEL, "dlg dump", "dlg click 1027", "dlg dump",
                           "dlg click 1028", "dlg select 1018 右", "dlg dump",
                           "dlg click 1026", "dlg select 1017 45", "dlg dump",
                           "dlg type 1017 4", "dlg dump", "dlg type 1017 4x5", "dlg dump",
                           "dlg select 1014 5", "dlg dump", "dlg ok", "QUIT"])
        front, side, right, right45, partial, letters, missing = dumps(out)
        self.assertEqual(preview(front)["entities"], 5 + CROSS)
        self.assertEqual(control(front, 1017)["items"], ["0", "45", "90"])
        self.assertEqual(preview(side)["entities"], 4 + CROSS)
        self.assertEqual(control(right, 1017)["items"], ["45", "90"])
        self.assertEqual(control(right, 1017)["text"], "45")
        self.assertFalse(preview(right)["shown"], "no B_R45")
        self.assertEqual(preview(right45), {"id": 210, "shown": True, "entities": 4 + CROSS})
        self.assertEqual(preview(partial), {"id": 210, "shown": False, "entities": 0})
        self.assertFalse(preview(letters)["shown"])
        self.assertFalse(preview(missing)["shown"], "4-72No5A has no view drawing")
        self.assertEqual(control(missing, 1017)["items"], ["45", "90"],
                         "the angle list of a missing drawing stays")
        self.assertNotIn("MSGBOX", out)

    def test_damaged_view_drawings_leave_everything_as_it_was(self):
        base_drawing(self.base)
        for content in (b"", b"AC1018\x00\x00\x11\x80binary", b"0\nSECTION\n2\nGARBAGE\n",
                        bytes(range(256))):
            with self.subTest(content=content[:12]):
                with open(self.view(), "wb") as f:
                    f.write(content)
                out = self.fancad(["FAN", *MODEL, "dlg dump", "dlg click 1008",
                                   "dlg click 204", "msg ok", "dlg click 206", "dlg dump",
                                   "dlg ok", "SAVEAS out.dxf", "QUIT"], self.base)
                first, last = dumps(out)
                self.assertFalse(preview(first)["shown"])
                self.assertNotIn("请输入风机插入角度", out)
                (box,) = boxes(out)
                self.assertTrue(box["text"].startswith("图形文件"), box)
                self.assertIn("无法读取,未作任何修改!", box["text"])
                with open(self.view(), "rb") as f:
                    self.assertEqual(f.read(), content, "the old file is intact")
                self.saved()
                self.assertEqual(inserts(self.path("out.dxf")), [])

    def test_a_view_drawing_whose_block_contains_itself_is_refused_like_a_damaged_one(self):
        def loop(doc):
            doc.blocks.get("F_L0").add_blockref("F_L0", (0, 0))
        view_drawing(self.view(), blocks=("F_L0", "S_L0"), extra=loop)
        with open(self.view(), "rb") as f:
            before = f.read()
        base_drawing(self.base)
        out = self.fancad(["FAN", *MODEL, "dlg dump", "dlg click 1008", "dlg click 1027",
                           "dlg dump", "dlg click 1008", "dlg ok", "SAVEAS out.dxf", "QUIT"],
                          self.base)
        front, side = dumps(out)
        self.assertFalse(preview(front)["shown"])
        self.assertFalse(preview(side)["shown"], "S_L0 of the same file is not read either")
        self.assertNotIn("请输入风机插入角度", out)
        self.saved()
        self.assertEqual(inserts(self.path("out.dxf")), [])
        with open(self.view(), "rb") as f:
            self.assertEqual(f.read(), before, "the view drawing is left as it was")


class ViewBlocks(Scenario):
    def test_deleting_an_angles_only_block_and_adding_s_r45_write_the_view_drawing(self):
        view_drawing(self.view())
        base_drawing(self.base)
        out = self.fancad(["FAN", *MODEL, "dlg select 1017 90", "dlg click 206", "msg no",
                           "dlg dump", "dlg click 206", "msg yes", "dlg dump",
                           "dlg select 1018 右", "dlg click 1027", "dlg type 1017 45",
                           "dlg click 204", "c -1,-1 50,20", "", "0,0", "dlg dump",
                           "dlg click 204", "msg no", "dlg ok", "QUIT"], self.base)
        declined, deleted, added = dumps(out)
        self.assertEqual(control(declined, 1017)["items"], ["0", "45", "90"])
        self.assertEqual(control(deleted, 1017)["items"], ["0", "45"])
        self.assertEqual(control(deleted, 1017)["text"], "0")
        self.assertIn("请选择实体:", out)
        self.assertEqual(preview(added), {"id": 210, "shown": True, "entities": 2 + CROSS})
        self.assertEqual(control(added, 1017)["items"], ["45", "90"])
        question = {"caption": "提示", "buttons": "YESNO", "icon": "QUESTION"}
        self.assertEqual(boxes(out), [dict(question, text="确认删除该图形吗?")] * 2 +
                         [dict(question, text="图形存在,确认替换么?")])
        self.assertDrawingClean(self.view())
        doc = ezdxf.readfile(self.view())
        self.assertEqual(sorted(e.dxftype() for e in doc.blocks.get("S_R45")), ["CIRCLE", "LINE"])
        self.assertNotIn("F_L90", doc.blocks)
        self.assertIn("F_L0", doc.blocks, "the other view blocks stay")

    def test_a_model_without_view_drawing_gets_a_new_one(self):
        base_drawing(self.base)
        self.fancad(["FAN", *MODEL, "dlg click 204", "all", "", "0,0", "dlg ok", "QUIT"],
                    self.base)
        self.assertDrawingClean(self.view())
        self.assertEqual(len(ezdxf.readfile(self.view()).blocks.get("F_L0")), 2)

    def test_the_selection_check_refuses_view_and_placed_blocks_at_any_depth(self):
        view_drawing(self.view())

        def blocks(doc):
            for name in ("B_L90", "4-72No4.5AF_L0", "F_L1234"):
                outline(doc.blocks.new(name=name), 2, 2)
            doc.blocks.new(name="HOLDER").add_blockref("4-72No4.5AF_L0", (0, 0))
            msp = doc.modelspace()
            for i, name in enumerate(("B_L90", "HOLDER", "F_L1234")):
                msp.add_blockref(name, (100 * (i + 1), 100))
        base_drawing(self.base, extra=blocks)
        with open(self.view(), "rb") as f:
            original = f.read()
        text = "选择实体中存在块名为%s的块或块引用\n,请先炸碎后,再执行添加操作!"
        out = self.fancad(["FAN", *MODEL, "dlg type 1017 135",
                           "dlg click 204", "w 90,90 110,110", "", "0,0", "msg ok",
                           "dlg click 204", "w 190,90 210,110", "", "0,0", "msg ok",
                           "dlg click 204", "w 90,90 210,110", "", "0,0", "msg ok",
                           "dlg dump",
                           "dlg click 204", "w 290,90 310,110", "", "0,0",
                           "dlg dump", "dlg ok", "QUIT"], self.base)
        self.assertEqual([b["text"] for b in boxes(out)],
                         [text % "B_L90", text % "4-72No4.5AF_L0", text % "B_L90"])
        refused, added = dumps(out)
        self.assertNotIn("135", control(refused, 1017)["items"])
        self.assertIn("135", control(added, 1017)["items"], "F_L1234 passes: four digits")
        doc = ezdxf.readfile(self.view())
        self.assertEqual([e.dxftype() for e in doc.blocks.get("F_L135")], ["INSERT"])
        with open(self.view(), "rb") as f:
            self.assertNotEqual(f.read(), original)


if __name__ == "__main__":
    sys.exit(e2e.main("--checker"))
