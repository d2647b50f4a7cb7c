#!/usr/bin/python3
"""FANEDIT end to end on the sample library: a placed 4-72 No.4.5 changed to No.5 in place
(point, rotation, handle and tag kept, its placement entries, record and attributes those of a
No.5 placed by FAN), UNDO back to the old fan exactly and REDO again; a cancelled edit writes
nothing; the dialog opens on a fan's model, view, hand, angle and recorded duty, also for fans
placed before records. Drawings are read back by ezdxf and the drawing checker.

Usage: fanedit_test.py --fancad BIN --checker PY (ZR_DATALIB, ZR_DWGLIB set)
"""
import sys

import ezdxf

import fancad_e2e as e2e

ENTRIES = ["Model", "LabelModel", "PLAN", "NAME", "VACType"]


def place(x, y, fan_no="4.5", view="", hand="", angle=""):
    """One FAN command placing 4-72 No.fan_no A, turned 30 degrees, at (x, y)."""
    return ("FAN\ndlg select 1012 4-72\ndlg select 1014 %s\ndlg select 1015 A\n%s%s%s"
            "dlg click 1008\n30\n%d,%d\ndlg ok\n" % (fan_no, view, hand, angle, x, y))


def near(x, y):
    return "c %d,%d %d,%d" % (x - 5, y - 5, x + 5, y + 5)


def entities(path):
    """Model space by handle: block, point, rotation, attributes (handle, tag, text, place)
    and every xdata application with its tags."""
    out = {}
    for e in ezdxf.readfile(path).modelspace():
        if e.dxftype() != "INSERT":
            continue
        out[e.dxf.handle] = dict(
            name=e.dxf.name, insert=tuple(e.dxf.insert), rotation=round(e.dxf.rotation, 9),
            attribs=[(a.dxf.handle, a.dxf.tag, a.dxf.text, tuple(round(v, 6) for v in a.dxf.insert))
                     for a in e.attribs],
            xdata={app: [(t.code, t.value) for t in tags] for app, tags in e.xdata.data.items()}
            if e.xdata else {})
    return out


def record(fan):
    return [v for _, v in fan["xdata"]["ZRFAN_RECORD"]]


def shown(dump):
    """What the dialog is on: series, fan number, drive, speed, view, hand, angle, flow,
    pressure."""
    text = {c["id"]: c["text"] for c in dump["controls"]}
    view = next(c["id"] for c in dump["controls"] if c["id"] in (1026, 1027, 1028) and c["checked"])
    return [text[i] for i in (1012, 1014, 1015, 1016)] + [view] + [text[i] for i in
                                                              (1018, 1017, 1002, 1003)]


class FanEdit(e2e.Scenario):
    def fancad(self, script, args=()):
        return self.assertRan(e2e.run(script.splitlines(), cwd=self.dir, args=list(args),
                                      timeout=120))

    def saved(self, name):
        self.assertDrawingClean(self.path(name))
        return entities(self.path(name))

    def test_a_fan_changed_in_place_is_a_placed_no5_and_undo_gives_the_old_one_back(self):
        edit = "FANEDIT\n%s\n\ndlg dump\ndlg select 1014 5\ndlg select 1015 A\n" % near(1000, 500)
        out = self.fancad(place(1000, 500) + place(3000, 500, "5") + "SAVEAS a.dxf\n" + edit +
                          "dlg click 1008\nSAVEAS b.dxf\nUNDO 1\nSAVEAS u.dxf\nREDO\n"
                          "SAVEAS r.dxf\n" + edit + "dlg cancel\nSAVEAS c.dxf\nUNDO 1\n"
                          "SAVEAS d.dxf\n")
        a, b, u, r, c, d = (self.saved(n + ".dxf") for n in "aburcd")
        old, placed = sorted(a, key=lambda h: a[h]["insert"])
        self.assertEqual(shown(e2e.dumps(out)[0])[:7], ["4-72", "4.5", "A", "1450", 1026, "左", "0"])
        new = b[old]
        self.assertEqual((new["insert"], new["rotation"]), (a[old]["insert"], a[old]["rotation"]))
        # The entries, block and record of a No.5 placed by FAN; its own tag and attributes.
        self.assertEqual(new["name"], a[placed]["name"])
        self.assertEqual(list(new["xdata"]), ENTRIES + ["ZRFAN_RECORD"])
        self.assertEqual([new["xdata"][app] for app in ENTRIES],
                         [a[placed]["xdata"][app] for app in ENTRIES])
        self.assertEqual(record(new), [v if v != "F-2" else "F-1" for v in record(a[placed])])
        self.assertEqual([t[:3] for t in new["attribs"]],
                         [(h, tag, text if tag != "ZRFAN_TAG" else "F-1")
                          for (h, _, _, _), (_, tag, text, _) in zip(a[old]["attribs"],
                                                                     a[placed]["attribs"])])
        self.assertEqual(b[placed], a[placed])
        # UNDO: the old fan exactly; REDO: the new one; a cancelled edit is no step at all.
        self.assertEqual((u, r, c, d), (a, b, b, a))

    def test_the_dialog_opens_on_the_fan_and_on_fans_placed_before_records(self):
        side = ("dlg click 1027\ndlg select 1018 右\ndlg select 1017 90\n")
        duty = ("FAN\ndlg click 202\ndlg type 1002 1500\ndlg type 1003 800\ndlg click 202\n"
                "dlg click 1008\n0\n5000,0\ndlg ok\n")
        look = "FANEDIT\n%s\n\ndlg dump\ndlg cancel\n"
        out = self.fancad(place(1000, 0, view=side) + duty + look % near(5000, 0) +
                          "SAVEAS old.dxf\n")
        recorded = shown(e2e.dumps(out)[0])
        self.assertEqual(recorded[:7] + recorded[-2:], ["9-19", "5", "C", "1250", 1026, "左", "0",
                                                        "1500", "800"])
        doc = ezdxf.readfile(self.path("old.dxf"))
        for fan in doc.modelspace().query("INSERT"):  # as placed before records and tags
            fan.discard_xdata("ZRFAN_RECORD")
            fan.delete_attrib("ZRFAN_TAG")
        doc.layers.remove("FAN_TAG")
        doc.saveas(self.path("old.dxf"))
        before = self.saved("old.dxf")
        out = self.fancad(look % near(5000, 0) + "FANEDIT\n%s\n\ndlg dump\ndlg click 1008\n"
                          % near(1000, 0) + "SAVEAS new.dxf\n", args=["old.dxf"])
        old_duty, old_side = (shown(dump) for dump in e2e.dumps(out))
        self.assertEqual(old_duty[:7], recorded[:7])
        self.assertEqual(old_side[:7], ["4-72", "4.5", "A", "1450", 1027, "右", "90"])
        # Placed again as the same model, the old fan takes its entries back and the next tag.
        after = self.saved("new.dxf")
        fan = next(h for h in after if after[h]["insert"][0] == 1000)
        self.assertEqual(after[fan]["name"], "4-72No4.5AS_R90")
        self.assertEqual({a: after[fan]["xdata"][a] for a in ENTRIES}, before[fan]["xdata"])
        self.assertEqual(record(after[fan])[:7], ["ZRFAN_RECORD", 1, "SOURCE", 0, "TAG", "F-1", "SERIES"])
        self.assertEqual([t[1:3] for t in after[fan]["attribs"]][-1], ("ZRFAN_TAG", "F-1"))


if __name__ == "__main__":
    sys.exit(e2e.main("--checker", sample=False))
