// Stepping of one-pixel lines.
#include "gui/pixel_lines.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <utility>

namespace zrgui {

namespace {

// Lights a pixel. The painter draws the many segments of one colour on two
// threads at once, which may light the same pixels: the stores are atomic
// (plain moves on the processors we build for) so that this is no data race.
inline void put(QRgb& pixel, QRgb color) {
  std::atomic_ref<QRgb>(pixel).store(color, std::memory_order_relaxed);
}

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

// The minor coordinate of a line, plus a half, stepped along its major axis
// in fixed point (32 bits of fraction): an addition a pixel instead of the
// multiplication and conversions of nearest(m0 + (s - s0) * slope). Started
// from that formula's value at the first step (the start is inside the image,
// so not negative: truncation rounds it; the step is truncated), it strays
// from the formula's value by less than 2^-32 a step, under 2^-17 for the
// kLongestFixed steps allowed; where it comes nearer than kNear to an edge
// between pixels the caller takes the formula's own answer, so the pixels are
// the formula's exactly.
class Fixed {
 public:
  static constexpr double kOne = 4294967296.0;  // 2^32
  Fixed(double start, double slope)
      : m_value(static_cast<std::int64_t>((start + 0.5) * kOne + 0.5)),
        m_step(static_cast<std::int64_t>(slope * kOne)) {}
  void step() { m_value += m_step; }
  // Within 2^-16 of a pixel of an edge between two pixels.
  bool near() const {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_value) + kNear) < 2 * kNear;
  }
  // The pixel nearest to the coordinate (valid when not near()).
  int whole() const { return static_cast<int>(m_value >> 32); }

 private:
  static constexpr std::uint32_t kNear = 1u << 16;
  std::int64_t m_value;
  std::int64_t m_step;
};

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

bool PixelLines::drawInside(double x0, double y0, double x1, double y1, QRgb color) {
  // The line's box a pixel inside the clip all round: every pixel it lights
  // (at most half a pixel past its ends) is in the clip, and the loops below
  // need not look. The comparisons are false for ends that are no number.
  const double minX = std::min(x0, x1), maxX = std::max(x0, x1);
  const double minY = std::min(y0, y1), maxY = std::max(y0, y1);
  if (!(minX >= m_left + 1 && maxX <= m_right - 1 && minY >= m_top + 1 && maxY <= m_bottom - 1))
    return false;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  if (std::abs(dx) >= std::abs(dy)) {
    if (maxX - minX > kLongestFixed) return false;
    const int first = nearest(minX), last = nearest(maxX);
    const double slope = dx == 0 ? 0 : dy / dx;
    Fixed y(y0 + (first - x0) * slope, slope);
    const qsizetype stride = m_stride;
    QRgb* column = m_bits + first;
    for (QRgb* const end = m_bits + last; column <= end; ++column, y.step()) {
      int row = y.whole();
      if (y.near()) [[unlikely]] {
        row = nearest(y0 + (static_cast<int>(column - m_bits) - x0) * slope);
      }
      put(column[row * stride], color);
    }
  } else {
    if (maxY - minY > kLongestFixed) return false;
    const int first = nearest(minY), last = nearest(maxY);
    const double slope = dx / dy;
    Fixed x(x0 + (first - y0) * slope, slope);
    const qsizetype stride = m_stride;
    QRgb* row = m_bits + first * stride;
    for (int y = first; y <= last; ++y, row += stride, x.step()) {
      int column = x.whole();
      if (x.near()) [[unlikely]]
        column = nearest(x0 + (y - y0) * slope);
      put(row[column], color);
    }
  }
  return true;
}

void PixelLines::draw(double x0, double y0, double x1, double y1, QRgb color) {
  if (drawInside(x0, y0, x1, y1, color)) return;
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
      if (static_cast<unsigned>(y - m_top) <= rows) put(m_bits[y * m_stride + x], color);
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
      if (static_cast<unsigned>(x - m_left) <= columns) put(row[x], color);
    }
  }
}

}  // namespace zrgui
