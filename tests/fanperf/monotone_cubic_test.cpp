// The monotone cubic: values worked by hand, shape kept, no extrapolation.
#include "fanperf/monotone_cubic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using fanperf::MonotoneCubic;

namespace {

// Dense samples over the curve's range.
std::vector<double> sample(const MonotoneCubic& c, int n = 400) {
  std::vector<double> v;
  for (int i = 0; i <= n; ++i) v.push_back(*c.at(c.xMin() + (c.xMax() - c.xMin()) * i / n));
  return v;
}

}  // namespace

TEST(MonotoneCubic, ValuesWorkedByHandAndNoneOutsideThePoints) {
  // Slopes: inside 6 / (3/1 + 3/3) = 1.5 (weighted harmonic mean of the
  // secants 1 and 3); at the left end the three-point estimate is 0; at the
  // right end (3·3 - 1) / 2 = 4. Between the points, Hermite's basis at t = ½.
  const MonotoneCubic c({0, 1, 2}, {0, 1, 4});
  EXPECT_NEAR(*c.at(0.5), 0.3125, 1e-12);
  EXPECT_NEAR(*c.at(1.5), 2.1875, 1e-12);
  for (double x : {0.0, 1.0, 2.0}) EXPECT_NEAR(*c.at(x), x * x, 1e-12) << "through the points";
  for (double x : {-1e-9, 2.000001, std::nan("")}) EXPECT_FALSE(c.at(x)) << x;
  // Two points make a straight line; so do uneven points on one.
  EXPECT_NEAR(*MonotoneCubic({0, 10}, {5, 25}).at(2.5), 10, 1e-12);
  const MonotoneCubic line({1000, 1300, 2200, 2500, 4000}, {1200, 1140, 960, 900, 600});
  for (double x = 1000; x <= 4000; x += 37.5) EXPECT_NEAR(*line.at(x), 1400 - 0.2 * x, 1e-9) << x;
}

TEST(MonotoneCubic, KeepsTheShapeOfItsPoints) {
  // A step: a cubic spline rings on both sides of it, this curve stays
  // between the levels and never falls.
  const auto s = sample(MonotoneCubic({0, 1, 2, 3, 4, 5}, {0, 0, 0, 1, 1, 1}));
  for (std::size_t i = 0; i < s.size(); ++i) {
    EXPECT_TRUE(s[i] >= 0 && s[i] <= 1 && (i == 0 || s[i] >= s[i - 1])) << i << ": " << s[i];
  }
  // A rise and a fall: the highest value is the highest point, not above it.
  const MonotoneCubic hump({1000, 2000, 3000, 4000}, {800, 1000, 950, 600});
  const auto h = sample(hump);
  EXPECT_LE(*std::max_element(h.begin(), h.end()), 1000.0 + 1e-9);
  EXPECT_NEAR(*hump.at(2000), 1000.0, 1e-9);
  // A falling pressure curve falls everywhere.
  const auto f = sample(MonotoneCubic({4012, 4600, 5200, 5800, 6400, 7000, 7419},
                                      {2014, 1968, 1890, 1800, 1691, 1565, 1320}));
  for (std::size_t i = 1; i < f.size(); ++i) EXPECT_LE(f[i], f[i - 1]) << i;
}

TEST(MonotoneCubic, RefusesPointsThatMakeNoCurve) {
  const std::vector<std::pair<std::vector<double>, std::vector<double>>> bad = {
      {{1}, {1}}, {{1, 2}, {1}}, {{1, 1}, {1, 2}}, {{2, 1}, {1, 2}}, {{1, 2}, {1, INFINITY}}};
  for (const auto& [x, y] : bad) EXPECT_THROW(MonotoneCubic(x, y), std::invalid_argument);
}
