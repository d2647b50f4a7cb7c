// Lines one pixel wide drawn straight into the pixels of a 32-bit image.
//
// The canvas redraws every line of a drawing whenever the view moves; through
// QPainter's raster engine 200,000 short lines take about 67 ms of processor
// time on the machines we measure on, drawn here about 20 ms (bench/gui,
// BM_RedrawLargeDrawing). The lines are aliased, as QPainter draws them with
// a cosmetic pen and no antialiasing: each is clipped to the image
// (Liang-Barsky, in floating point, so that far-off ends of a zoomed-in view
// cannot overflow; ends beyond about 1e12 pixels, which no view's scale
// limit reaches, lose the precision to place the line) and walked with
// Bresenham's steps.
#pragma once

#include <QImage>

namespace zrgui {

class PixelLines {
 public:
  // image must be Format_RGB32, ARGB32 or ARGB32_Premultiplied (see usable()).
  explicit PixelLines(QImage& image);
  static bool usable(const QImage& image);

  // A line between two points in pixel coordinates (pixel centres at whole
  // numbers); ends that are not finite draw nothing.
  void draw(double x0, double y0, double x1, double y1, QRgb color);

 private:
  QRgb* m_bits;
  qsizetype m_stride;  // pixels per scan line
  int m_width;
  int m_height;
};

}  // namespace zrgui
