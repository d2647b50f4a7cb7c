// Lines one pixel wide drawn straight into the pixels of a 32-bit image.
//
// The canvas redraws every line of a drawing in view whenever the view moves;
// through QPainter's raster engine 200,000 short lines take about 67 ms of
// processor time on the machines we measure on, drawn here a fraction of that
// (bench/gui, BM_RedrawLargeDrawing). The lines are aliased, as QPainter
// draws them with a cosmetic pen and no antialiasing.
//
// A line lights one pixel in each column it crosses (each row, when it is
// steeper than 45 degrees), the one whose centre lies nearest to the line
// there, worked out from the line's own ends for every column. So which
// pixels a line lights does not depend on where it is clipped: a line drawn
// into a part of the image (the strip a pan uncovers) gives the same pixels
// there as drawn whole. Ends far outside the image cost nothing (only the
// columns inside are visited); beyond about 1e12 pixels, which no view's
// scale limit reaches, they lose the precision to place the line.
#pragma once

#include <QImage>
#include <QRect>

namespace zrgui {

class PixelLines {
 public:
  // image must be Format_RGB32, ARGB32 or ARGB32_Premultiplied (see usable()).
  // Lines are drawn inside clip only (the whole image when it is empty).
  explicit PixelLines(QImage& image, QRect clip = QRect());
  static bool usable(const QImage& image);

  // A line between two points in pixel coordinates (pixel centres at whole
  // numbers); ends that are not finite draw nothing.
  void draw(double x0, double y0, double x1, double y1, QRgb color);

 private:
  // A line whose pixels all lie in the clip, stepped in fixed point with no
  // clipping (most lines of a view); false, drawing nothing, for any other.
  bool drawInside(double x0, double y0, double x1, double y1, QRgb color);
  // The most steps drawInside takes in fixed point (its error bound).
  static constexpr double kLongestFixed = 32768;

  QRgb* m_bits;
  qsizetype m_stride;  // pixels per scan line
  // The clip, inclusive, in pixels; empty (m_right < m_left) draws nothing.
  int m_left, m_top, m_right, m_bottom;
};

}  // namespace zrgui
