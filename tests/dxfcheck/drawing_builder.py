"""Drawings for the checker's tests: a clean R2010 drawing that ezdxf writes with the
entities the host writes, held tag by tag so that a test can break exactly one thing."""
import io

import ezdxf


class Dxf:
    """A drawing as a list of [code, value] tags; tag i has its code on line 2i + 1."""

    def __init__(self, tags):
        self.tags = [list(t) for t in tags]

    def render(self, newline="\n"):
        return (newline.join(f"{c:>3}{newline}{v}" for c, v in self.tags) + newline).encode()

    def index(self, code, value=None, after=0):
        """Index of the first tag with this code (and value) at or after `after`."""
        return next(i for i in range(after, len(self.tags))
                    if self.tags[i][0] == code and value in (None, self.tags[i][1]))

    def record(self, kind, nth=0):
        """Index of the nth 0/kind record."""
        i = -1
        for _ in range(nth + 1):
            i = self.index(0, kind, i + 1)
        return i

    def in_record(self, kind, code, value=None, nth=0):
        """Index of a tag inside the nth kind record."""
        start = self.record(kind, nth)
        i = self.index(code, value, start + 1)
        assert i < self.end_of(start), (kind, code)
        return i

    def end_of(self, start):
        return self.index(0, None, start + 1)

    def fresh_handle(self):
        """A handle no object has: $HANDSEED, which moves on by one."""
        i = self.index(9, "$HANDSEED") + 1
        handle = self.tags[i][1]
        self.tags[i][1] = f"{int(handle, 16) + 1:X}"
        return handle

    @staticmethod
    def line(i):
        return 2 * i + 1


def pt(code, x, y):
    return [(code, f"{x:.1f}"), (code + 10, f"{y:.1f}"), (code + 20, "0.0")]


def _write():
    doc = ezdxf.new("R2010")
    doc.appids.new("ZRFAN")
    fan = doc.blocks.new("FAN")
    fan.add_line((0, 0), (10, 0))
    fan.add_attdef("MODEL", (0, 0))
    msp = doc.modelspace()
    msp.add_line((0, 0), (100, 50)).set_xdata(
        "ZRFAN", [(1000, "4-72No4.5A"), (1002, "{"), (1070, 2), (1002, "}")])
    msp.add_circle((20, 20), 7.5)
    msp.add_polyline2d([(0, 1), (5, 1)])
    msp.add_text("离心式风机")
    msp.add_blockref("FAN", (200, 100)).add_attrib("MODEL", "4-72", (200, 100))
    msp.add_point((1, 1))
    out = io.StringIO()
    doc.write(out)
    lines = out.getvalue().split("\n")
    return [(int(lines[i]), lines[i + 1]) for i in range(0, len(lines) - 1, 2)]


_TAGS = _write()


def minimal():
    """The model space holds, in this order, a LINE with xdata, a CIRCLE, a POLYLINE with
    two VERTEXes and its SEQEND, a TEXT, an INSERT of block FAN with an ATTRIB and its
    SEQEND, and a POINT; FAN's block holds a LINE and an ATTDEF."""
    return Dxf(_TAGS)
