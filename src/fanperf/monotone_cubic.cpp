// The monotone cubic: slopes at the points, and Hermite evaluation between them.
#include "fanperf/monotone_cubic.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace fanperf {

namespace {

int sign(double v) { return (v > 0) - (v < 0); }

// The slope at an end point: the three-point estimate, held back so that the
// end segment stays monotone (Moler, "Numerical Computing with MATLAB", 3.6).
double endSlope(double h0, double h1, double d0, double d1) {
  const double s = ((2 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
  if (sign(s) != sign(d0)) return 0;
  if (sign(d0) != sign(d1) && std::abs(s) > std::abs(3 * d0)) return 3 * d0;
  return s;
}

}  // namespace

MonotoneCubic::MonotoneCubic(std::vector<double> x, std::vector<double> y)
    : m_x(std::move(x)), m_y(std::move(y)) {
  if (m_x.size() != m_y.size()) throw std::invalid_argument("x and y differ in length");
  if (m_x.size() < 2) throw std::invalid_argument("a curve needs at least two points");
  for (std::size_t i = 0; i < m_x.size(); ++i) {
    if (!std::isfinite(m_x[i]) || !std::isfinite(m_y[i])) {
      throw std::invalid_argument("a point is not a finite number");
    }
    if (i > 0 && !(m_x[i] > m_x[i - 1])) throw std::invalid_argument("x is not increasing");
  }
  const std::size_t n = m_x.size();
  std::vector<double> h(n - 1), delta(n - 1);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    h[i] = m_x[i + 1] - m_x[i];
    delta[i] = (m_y[i + 1] - m_y[i]) / h[i];
  }
  m_slope.assign(n, 0.0);
  if (n == 2) {
    m_slope[0] = m_slope[1] = delta[0];
    return;
  }
  for (std::size_t k = 1; k + 1 < n; ++k) {
    // A point where the data turn (or stay level on one side) is a local
    // extreme of the curve: a zero slope keeps it from overshooting there.
    if (sign(delta[k - 1]) * sign(delta[k]) <= 0) continue;
    const double w1 = 2 * h[k] + h[k - 1];
    const double w2 = h[k] + 2 * h[k - 1];
    m_slope[k] = (w1 + w2) / (w1 / delta[k - 1] + w2 / delta[k]);
  }
  m_slope[0] = endSlope(h[0], h[1], delta[0], delta[1]);
  m_slope[n - 1] = endSlope(h[n - 2], h[n - 3], delta[n - 2], delta[n - 3]);
}

MonotoneCubic::Segment MonotoneCubic::segment(std::size_t i) const {
  // The Hermite form y0·h00 + h·d0·h10 + y1·h01 + h·d1·h11, multiplied out.
  Segment s;
  s.x0 = m_x[i];
  s.h = m_x[i + 1] - m_x[i];
  const double y0 = m_y[i], y1 = m_y[i + 1];
  const double m0 = s.h * m_slope[i], m1 = s.h * m_slope[i + 1];
  s.c[0] = y0;
  s.c[1] = m0;
  s.c[2] = 3 * (y1 - y0) - 2 * m0 - m1;
  s.c[3] = 2 * (y0 - y1) + m0 + m1;
  return s;
}

std::optional<double> MonotoneCubic::at(double x) const {
  if (!(x >= m_x.front() && x <= m_x.back())) return std::nullopt;
  // The segment whose right end is the first point at or past x.
  const auto it = std::lower_bound(m_x.begin() + 1, m_x.end(), x);
  const std::size_t i = static_cast<std::size_t>(it - m_x.begin()) - 1;
  const Segment s = segment(i);
  return s.atT((x - s.x0) / s.h);
}

}  // namespace fanperf
