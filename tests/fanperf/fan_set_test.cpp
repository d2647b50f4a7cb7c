// Identical fans in parallel and in series on a system curve with an offset, against
// closed-form answers, and the warning for a parallel set left of its peak.
#include "fanperf/fan_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace fanperf;

namespace {

// p = 1600 - 1e-4·Q², known only at 17 points.
FanCurve parabola() {
  std::vector<CurvePoint> points;
  for (double q = 0; q <= 4000; q += 250) points.push_back({q, 1600 - 1e-4 * q * q, 60, 1.0});
  return FanCurve(points);
}

}  // namespace

TEST(FanSet, MeetsTheSystemWhereTheClosedFormSays) {
  // System p = 200 + 1e-4·Q². In parallel each fan carries Q/n at the set's pressure:
  // 1600 - 1e-4·(Q/n)² = 200 + 1e-4·Q², Q = √(1400 / (1e-4/n² + 1e-4)). In series the
  // pressures add: n·1600 - n·1e-4·Q² = 200 + 1e-4·Q², Q = √((1600·n - 200) / (1e-4·(n + 1))).
  const SystemCurve system = SystemCurve::withOffset(200, 1e-4);
  const struct {
    int count;
    Arrangement arrangement;
    double flow;
  } cases[] = {{1, Arrangement::Parallel, 2645.751},
               {2, Arrangement::Parallel, 3346.640},
               {3, Arrangement::Parallel, 3549.648},
               {2, Arrangement::Series, 3162.278},
               {4, Arrangement::Series, 3521.363}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    const auto op = setOperatingPoint(parabola(), c.count, c.arrangement, system);
    ASSERT_TRUE(op);
    EXPECT_NEAR(op->set.flow, c.flow, 0.005 * c.flow);
    EXPECT_NEAR(op->set.pressure, system.pressureAt(op->set.flow), 1e-6);
    const bool parallel = c.arrangement == Arrangement::Parallel;
    EXPECT_DOUBLE_EQ(op->eachFan.flow * (parallel ? c.count : 1), op->set.flow);
    EXPECT_DOUBLE_EQ(op->eachFan.pressure * (parallel ? 1 : c.count), op->set.pressure);
    EXPECT_FALSE(op->leftOfPeak);
    EXPECT_FALSE(op->unstableSharing);
  }
  const FanCurve two = combinedCurve(parabola(), 2, Arrangement::Series);
  EXPECT_DOUBLE_EQ(*two.shaftPowerAt(1000), 2.0);
  EXPECT_DOUBLE_EQ(*two.efficiencyAt(1000), 60);
  EXPECT_THROW(combinedCurve(parabola(), 5, Arrangement::Parallel), std::invalid_argument);
}

TEST(FanSet, AParallelSetLeftOfItsPeakIsFlagged) {
  // The hump peaks at 3000 m³/h. Two in parallel on p = 4.5e-5·Q²: below the set's curve
  // at 4000 m³/h (720 < 1000 Pa), above it from 6000 (1620 > 1100 Pa), so they meet with
  // each fan between 2000 and 3000 m³/h, on its rising side. One fan alone meets the same
  // system right of its peak, between 3000 (405 < 1100 Pa) and 4000 m³/h (720 > 700 Pa).
  const FanCurve hump({{1000, 100}, {2000, 1000}, {3000, 1100}, {4000, 700}});
  const SystemCurve system = SystemCurve::throughPoint(4000, 720);
  const auto two = setOperatingPoint(hump, 2, Arrangement::Parallel, system);
  ASSERT_TRUE(two);
  EXPECT_GT(two->eachFan.flow, 2000);
  EXPECT_LT(two->eachFan.flow, 3000);
  EXPECT_TRUE(two->unstableSharing);
  const auto one = setOperatingPoint(hump, 1, Arrangement::Parallel, system);
  ASSERT_TRUE(one);
  EXPECT_FALSE(one->leftOfPeak);
  EXPECT_FALSE(one->unstableSharing);
  EXPECT_THROW(SystemCurve::withOffset(-1, 1e-4), std::invalid_argument);
}
