// A fan's curves from catalogue points: order, repeats, partial columns, the peak, scaling.
#include "fanperf/fan_curve.h"

#include <gtest/gtest.h>

#include <cmath>

using fanperf::CurveError;
using fanperf::CurvePoint;
using fanperf::FanCurve;

namespace {

// A 4-72 No.4 at 2900 r/min as the sample catalogue lists it.
std::vector<CurvePoint> no4Points() {
  return {{4012, 2014, 78.7, 3.05}, {4512, 1968, 81.2, 3.17}, {5007, 1890, 84.8, 3.25},
          {5502, 1800, 87.7, 3.29}, {6014, 1691, 89.1, 3.30}, {6512, 1565, 88.3, 3.34},
          {7003, 1459, 86.2, 3.43}, {7419, 1320, 82.5, 3.49}};
}

}  // namespace

TEST(FanCurve, TakesPointsInAnyOrderAndARepeatOnce) {
  std::vector<CurvePoint> points = no4Points();
  std::swap(points[0], points[5]);
  points.push_back(points[2]);
  const FanCurve c(points);
  ASSERT_EQ(c.points().size(), 8u);
  EXPECT_DOUBLE_EQ(c.minFlow(), 4012);
  EXPECT_DOUBLE_EQ(c.maxFlow(), 7419);
  EXPECT_NEAR(*c.pressureAt(5502), 1800, 1e-9);
  EXPECT_NEAR(*c.efficiencyAt(6014), 89.1, 1e-9);
  EXPECT_NEAR(*c.shaftPowerAt(7419), 3.49, 1e-9);
  EXPECT_FALSE(c.pressureAt(7420)) << "never extrapolated";
}

TEST(FanCurve, RefusesPointsThatMakeNoCurveNamingTheFlow) {
  const std::vector<std::vector<CurvePoint>> bad = {{{1000, 500}},
                                                    {{1000, 500}, {1000, 500}},  // one point twice
                                                    {{1000, 500}, {1000, 480}, {2000, 300}},
                                                    {{-10, 500}, {1000, 480}},
                                                    {{0, 500}, {1000, NAN}},
                                                    {{0, 500}, {1000, 400, INFINITY}}};
  for (const auto& points : bad) EXPECT_THROW(FanCurve{points}, CurveError) << points.size();
  try {
    FanCurve({{1000, 500}, {1000, 480}});
    FAIL();
  } catch (const CurveError& e) {
    EXPECT_NE(std::string(e.what()).find("1000"), std::string::npos);
  }
}

TEST(FanCurve, EfficiencyAndPowerCoverOnlyThePointsThatGiveThem) {
  const FanCurve c({{1000, 900, {}, 1.0},
                    {2000, 850, 70.0, {}},
                    {3000, 780, 80.0, {}},
                    {4000, 690, 75.0, {}},
                    {5000, 560, {}, {}}});
  EXPECT_TRUE(c.hasEfficiency());
  EXPECT_FALSE(c.hasShaftPower()) << "one value is no curve";
  EXPECT_FALSE(c.shaftPowerAt(1000));
  EXPECT_FALSE(c.efficiencyAt(1500));
  EXPECT_FALSE(c.efficiencyAt(4500));
  EXPECT_NEAR(*c.efficiencyAt(3000), 80, 1e-9);
  EXPECT_TRUE(c.pressureAt(4500)) << "pressure still covers every point";
}

TEST(FanCurve, PeakIsTheHighestPointTheLastOfATie) {
  EXPECT_DOUBLE_EQ(FanCurve(no4Points()).peak().flow, 4012) << "falling all the way";
  const FanCurve hump({{1000, 800}, {2000, 1000}, {3000, 950}, {4000, 600}});
  EXPECT_DOUBLE_EQ(hump.peak().flow, 2000);
  EXPECT_DOUBLE_EQ(hump.peak().pressure, 1000);
  const FanCurve flat({{1000, 800}, {2000, 1000}, {3000, 1000}, {4000, 600}});
  EXPECT_DOUBLE_EQ(flat.peak().flow, 3000) << "the stable side starts where the top ends";
}

TEST(FanCurve, ScaledByTheFanLawsEverywhereAlongTheCurve) {
  const FanCurve at2900(no4Points());
  // Half the speed in air of 1.0 kg/m³ instead of 1.2.
  const double n = 0.5, d = 1.0 / 1.2;
  const FanCurve c = at2900.scaled(n, d);
  EXPECT_DOUBLE_EQ(c.minFlow(), 2006);
  EXPECT_DOUBLE_EQ(c.maxFlow(), 3709.5);
  for (double q = 4012; q <= 7419; q += 101) {
    EXPECT_NEAR(*c.pressureAt(q * n), *at2900.pressureAt(q) * n * n * d, 1e-9) << q;
    EXPECT_NEAR(*c.shaftPowerAt(q * n), *at2900.shaftPowerAt(q) * n * n * n * d, 1e-12) << q;
    EXPECT_NEAR(*c.efficiencyAt(q * n), *at2900.efficiencyAt(q), 1e-9) << q;
  }
}
