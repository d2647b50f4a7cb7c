// Clipping and stepping of one-pixel lines.
#include "gui/pixel_lines.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zrgui {

namespace {

// Clips the segment to lo <= x <= maxX, lo <= y <= maxY; false when nothing is left.
bool clip(double& x0, double& y0, double& x1, double& y1, double lo, double maxX, double maxY) {
  double t0 = 0;
  double t1 = 1;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  auto edge = [&t0, &t1](double p, double q) {
    if (p == 0) return q >= 0;
    const double r = q / p;
    if (p < 0) {
      if (r > t1) return false;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return false;
      if (r < t1) t1 = r;
    }
    return true;
  };
  if (!edge(-dx, x0 - lo) || !edge(dx, maxX - x0) || !edge(-dy, y0 - lo) || !edge(dy, maxY - y0)) {
    return false;
  }
  const double cx0 = x0 + t0 * dx;
  const double cy0 = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = cx0;
  y0 = cy0;
  return true;
}

}  // namespace

bool PixelLines::usable(const QImage& image) {
  const QImage::Format f = image.format();
  return !image.isNull() && (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                             f == QImage::Format_ARGB32_Premultiplied);
}

PixelLines::PixelLines(QImage& image)
    : m_bits(reinterpret_cast<QRgb*>(image.bits())),
      m_stride(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
      m_width(image.width()),
      m_height(image.height()) {}

void PixelLines::draw(double x0, double y0, double x1, double y1, QRgb color) {
  if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
  if (m_width <= 0 || m_height <= 0) return;
  // A pixel covers the half unit around its centre; the margin keeps the
  // rounded ends inside the image.
  constexpr double kHalf = 0.5 - 1e-9;
  if (!clip(x0, y0, x1, y1, -kHalf, m_width - 1 + kHalf, m_height - 1 + kHalf)) return;
  // Clipping far-off ends leaves errors of a few units in the last place of
  // their size: the rounded ends are held inside the image, and every pixel
  // between two pixels inside it is inside too.
  auto pixel = [](double v, int size) {
    return std::clamp(static_cast<int>(std::lround(v)), 0, size - 1);
  };
  int ax = pixel(x0, m_width);
  int ay = pixel(y0, m_height);
  const int bx = pixel(x1, m_width);
  const int by = pixel(y1, m_height);
  const int dx = std::abs(bx - ax);
  const int dy = -std::abs(by - ay);
  const int sx = ax < bx ? 1 : -1;
  const int sy = ay < by ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    m_bits[ay * m_stride + ax] = color;
    if (ax == bx && ay == by) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      ax += sx;
    }
    if (e2 <= dx) {
      err += dx;
      ay += sy;
    }
  }
}

}  // namespace zrgui
