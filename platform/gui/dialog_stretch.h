// How the controls of a resizable dialog follow its size.
//
// A template is laid out for one size. When the view is made larger, the
// extra width goes in at one column and the extra height at one row, both
// drawn through the dialog's grids: a control wholly right of (below) the line
// moves with the right (bottom) edge, one that the line crosses stretches, one
// left of (above) it stays where the template put it. The lines run one pixel
// inside the grids' right edge and the top grid's bottom edge, so the grids
// and what frames them grow, controls beside them move aside, and the button
// rows under them keep their distance to the bottom edge. (The templates'
// grids do not reach the dialog's margins — the fan dialog has its preview
// right of them and its buttons below — so stretching only what touches a
// margin would let nothing grid-like grow.)
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

namespace zrgui {

struct DialogStretch {
  int splitX = -1;  // the column the extra width goes in at (template pixels); -1 none
  int splitY = -1;
  QSize extra;  // the view beyond the template's size (never negative)

  // The lines through these grids (template rectangles); none without grids.
  static DialogStretch throughGrids(const std::vector<QRect>& grids, QSize extra);
  bool stretches() const { return splitX >= 0 || splitY >= 0; }
  // Where a control the template puts at r goes.
  QRect place(const QRect& r) const;
};

}  // namespace zrgui
