// Stepping of one-pixel lines.
#include "gui/pixel_lines.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zrgui {

namespace {

// The whole number nearest to v (halves up), for v inside [lo - 1, hi + 1],
// with lo >= 0: truncation is flooring there once shifted above zero.
inline int nearest(double v) { return static_cast<int>(v + 1.5) - 1; }

// The steps [first, last] of the major axis a line over [a, b] (in any order)
// covers, inside [lo, hi]; first > last when none.
inline void stepsInside(double a, double b, int lo, int hi, int& first, int& last) {
  if (a > b) std::swap(a, b);
  // Clamped first, so that far-off ends cannot overflow the conversion.
  a = std::clamp(a, lo - 1.0, hi + 1.0);
  b = std::clamp(b, lo - 1.0, hi + 1.0);
  first = std::max(lo, nearest(a));
  last = std::min(hi, nearest(b));
}

// Narrows [first, last] to the steps where the minor coordinate m(s) =
// m0 + (s - s0) * slope rounds into [lo, hi], give or take a step (the loop
// checks each pixel).
inline void narrow(double s0, double m0, double slope, int lo, int hi, int& first, int& last) {
  if (slope == 0) {
    if (m0 < lo - 0.5 || m0 >= hi + 0.5) last = first - 1;
    return;
  }
  double a = s0 + (lo - 0.5 - m0) / slope;
  double b = s0 + (hi + 0.5 - m0) / slope;
  if (a > b) std::swap(a, b);
  if (!(a < last + 1.0) || !(b > first - 1.0)) {
    last = first - 1;
    return;
  }
  // Both are inside (first - 1, last + 1) where they are converted.
  if (a > first) first = std::max(first, static_cast<int>(a) - 1);
  if (b < last) last = std::min(last, static_cast<int>(b) + 1);
}

}  // namespace

bool PixelLines::usable(const QImage& image) {
  const QImage::Format f = image.format();
  return !image.isNull() && (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                             f == QImage::Format_ARGB32_Premultiplied);
}

PixelLines::PixelLines(QImage& image, QRect clip)
    : m_bits(reinterpret_cast<QRgb*>(image.bits())),
      m_stride(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))) {
  const QRect r = clip.isEmpty() ? image.rect() : clip.intersected(image.rect());
  m_left = r.left();
  m_top = r.top();
  m_right = r.isEmpty() ? r.left() - 1 : r.right();
  m_bottom = r.bottom();
}

void PixelLines::draw(double x0, double y0, double x1, double y1, QRgb color) {
  if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1))) return;
  if (m_right < m_left || m_bottom < m_top) return;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  if (std::abs(dx) >= std::abs(dy)) {
    // One pixel a column.
    int first = 0, last = 0;
    stepsInside(x0, x1, m_left, m_right, first, last);
    const double slope = dx == 0 ? 0 : dy / dx;
    narrow(x0, y0, slope, m_top, m_bottom, first, last);
    const auto rows = static_cast<unsigned>(m_bottom - m_top);
    for (int x = first; x <= last; ++x) {
      const int y = nearest(y0 + (x - x0) * slope);
      if (static_cast<unsigned>(y - m_top) <= rows) m_bits[y * m_stride + x] = color;
    }
  } else {
    // One pixel a row.
    int first = 0, last = 0;
    stepsInside(y0, y1, m_top, m_bottom, first, last);
    const double slope = dx / dy;
    narrow(y0, x0, slope, m_left, m_right, first, last);
    if (first > last) return;
    const auto columns = static_cast<unsigned>(m_right - m_left);
    QRgb* row = m_bits + first * m_stride;
    for (int y = first; y <= last; ++y, row += m_stride) {
      const int x = nearest(x0 + (y - y0) * slope);
      if (static_cast<unsigned>(x - m_left) <= columns) row[x] = color;
    }
  }
}

}  // namespace zrgui
