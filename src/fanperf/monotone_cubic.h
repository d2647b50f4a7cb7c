// MonotoneCubic: a shape-preserving piecewise cubic through measured points.
//
// Catalogue curves are a handful of measured points. A natural cubic spline
// through them overshoots: between two points of a falling pressure curve it
// can rise, inventing a peak (and an unstable region) that the fan does not
// have. The monotone cubic of Fritsch and Carlson (PCHIP, with the weighted
// harmonic-mean slopes of Fritsch and Butland, as Matlab and SciPy compute
// it) keeps the data's shape: it is monotone wherever the points are, and its
// local extremes lie at the points themselves. It passes through every point
// and reproduces a straight line exactly.
//
// The curve is defined on [xMin, xMax] only; it is never extrapolated.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace fanperf {

class MonotoneCubic {
 public:
  // x strictly increasing, y of the same length, at least two points, all
  // finite. Throws std::invalid_argument otherwise.
  MonotoneCubic(std::vector<double> x, std::vector<double> y);

  double xMin() const { return m_x.front(); }
  double xMax() const { return m_x.back(); }
  const std::vector<double>& xs() const { return m_x; }
  const std::vector<double>& ys() const { return m_y; }

  // The value at x; nullopt outside [xMin, xMax].
  std::optional<double> at(double x) const;

  // The cubic between point i and point i + 1 as a polynomial in
  // t = (x - x0) / h, t from 0 to 1: what root finding works on.
  struct Segment {
    double x0 = 0;
    double h = 0;
    double c[4] = {0, 0, 0, 0};  // c0 + c1·t + c2·t² + c3·t³
    double atT(double t) const { return c[0] + t * (c[1] + t * (c[2] + t * c[3])); }
  };
  Segment segment(std::size_t i) const;
  std::size_t segmentCount() const { return m_x.size() - 1; }

 private:
  std::vector<double> m_x;
  std::vector<double> m_y;
  std::vector<double> m_slope;  // dy/dx at each point
};

}  // namespace fanperf
