// Resizable dialogs' control placement.
#include "gui/dialog_stretch.h"

#include <algorithm>

namespace zrgui {

namespace {

// One axis: [start, start + length) against the line at split.
void follow(int split, int extra, int& start, int& length) {
  if (split < 0 || extra <= 0) return;
  if (start >= split) {
    start += extra;
  } else if (start + length > split) {
    length += extra;
  }
}

}  // namespace

DialogStretch DialogStretch::throughGrids(const std::vector<QRect>& grids, QSize extra) {
  DialogStretch s;
  s.extra = extra.expandedTo(QSize(0, 0));
  if (grids.empty()) return s;
  int right = 0;
  int topBottom = grids.front().y() + grids.front().height();
  for (const QRect& g : grids) {
    right = std::max(right, g.x() + g.width());
    // Of grids stacked one above the other the top one takes the height.
    topBottom = std::min(topBottom, g.y() + g.height());
  }
  s.splitX = std::max(0, right - 1);
  s.splitY = std::max(0, topBottom - 1);
  return s;
}

QRect DialogStretch::place(const QRect& r) const {
  int x = r.x(), w = r.width(), y = r.y(), h = r.height();
  follow(splitX, extra.width(), x, w);
  follow(splitY, extra.height(), y, h);
  return QRect(x, y, w, h);
}

}  // namespace zrgui
