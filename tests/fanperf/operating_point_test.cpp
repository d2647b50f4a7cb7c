// Operating points worked by hand, meeting points that do not exist, the
// unstable side, the exact speed for the duty, and range boxes.
#include "fanperf/operating_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "fanperf/fan_laws.h"

using fanperf::DutyBox;
using fanperf::FanCurve;
using fanperf::intersect;
using fanperf::isUnstable;
using fanperf::OperatingPoint;
using fanperf::SystemCurve;

namespace {

// p = 1400 - 0.2·Q, which the monotone cubic reproduces exactly.
FanCurve straight() { return FanCurve({{1000, 1200}, {2000, 1000}, {3000, 800}}); }

// p = 1600 - 1e-4·Q², known only at nine points.
FanCurve parabola() {
  std::vector<fanperf::CurvePoint> points;
  for (double q = 0; q <= 4000; q += 500) points.push_back({q, 1600 - 1e-4 * q * q});
  return FanCurve(points);
}

void expectWithinHalfAPercent(double actual, double expected) {
  EXPECT_NEAR(actual, expected, 0.005 * expected);
}

}  // namespace

TEST(OperatingPoint, StraightCurveMeetsTheSystemWhereWorkedByHand) {
  // Through 2000 m³/h at 800 Pa, k = 2e-4: 2e-4·Q² + 0.2·Q - 1400 = 0 gives
  // Q = (-0.2 + √1.16) / 4e-4 = 2192.58 m³/h at 961.48 Pa.
  const auto op = intersect(straight(), SystemCurve::throughPoint(2000, 800));
  ASSERT_TRUE(op);
  expectWithinHalfAPercent(op->flow, 2192.58);
  expectWithinHalfAPercent(op->pressure, 961.48);
  EXPECT_NEAR(op->flow, 2192.58, 0.01) << "root finding is far better than the half percent";
}

TEST(OperatingPoint, CurvedCurveMeetsTheSystemWhereWorkedByHand) {
  // 1600 - 1e-4·Q² = 1e-4·Q² at Q = √(1600 / 2e-4) = 2828.4 m³/h, 800 Pa.
  const auto op = intersect(parabola(), SystemCurve::throughPoint(1000, 100));
  ASSERT_TRUE(op);
  expectWithinHalfAPercent(op->flow, 2828.43);
  expectWithinHalfAPercent(op->pressure, 800);
}

TEST(OperatingPoint, NoAnswerWhenTheSystemCurveMissesTheCurve) {
  // Too steep: at 1000 m³/h the system already needs 4800 Pa.
  EXPECT_FALSE(intersect(straight(), SystemCurve::throughPoint(500, 1200)));
  // Too flat: at 3000 m³/h it needs 25 Pa, and the curve is not extended
  // beyond its last point to find where it would meet it.
  EXPECT_FALSE(intersect(straight(), SystemCurve::throughPoint(6000, 100)));
  // Through the ends exactly: those are answers.
  const auto first = intersect(straight(), SystemCurve::throughPoint(1000, 1200));
  ASSERT_TRUE(first);
  EXPECT_NEAR(first->flow, 1000, 1e-6);
  const auto last = intersect(straight(), SystemCurve::throughPoint(3000, 800));
  ASSERT_TRUE(last);
  EXPECT_NEAR(last->flow, 3000, 1e-6);
}

TEST(OperatingPoint, OfTwoMeetingPointsTheStableOneOfLargerFlow) {
  // Steeply rising left of the peak at 3000 m³/h, so the system curve
  // (k = 1.1e-4: above the curve at 1000 and 4000 m³/h, below it at 2000
  // and 3000) cuts the curve on both sides of the peak.
  const FanCurve hump({{1000, 100}, {2000, 1000}, {3000, 1100}, {4000, 700}});
  const SystemCurve system = SystemCurve::throughPoint(1000, 110);
  const auto op = intersect(hump, system);
  ASSERT_TRUE(op);
  EXPECT_GT(op->flow, 3000);
  EXPECT_LT(op->flow, 4000);
  EXPECT_NEAR(op->pressure, system.pressureAt(op->flow), 1e-6);
  EXPECT_NEAR(*hump.pressureAt(op->flow), op->pressure, 1e-6);
  EXPECT_FALSE(isUnstable(hump, *op));

  // Cut off at its peak, only the meeting point on the rising side is left.
  const FanCurve rising({{1000, 100}, {2000, 1000}, {3000, 1100}});
  const auto left = intersect(rising, system);
  ASSERT_TRUE(left);
  EXPECT_GT(left->flow, 1000);
  EXPECT_LT(left->flow, 2000);
  EXPECT_TRUE(isUnstable(rising, *left));
}

TEST(OperatingPoint, ACurveThatDipsUnderTheSystemInsideOneSegmentIsNotMissed) {
  // From the dip at 1000 m³/h the curve rises slowly, then steeply towards
  // 2000: both ends of that segment lie above the system curve (k = 6.5e-4:
  // 650 < 700 Pa, 2600 < 3000 Pa) but its middle sags below it (about 1350
  // against 1462 Pa at 1500 m³/h). Checking signs at the points alone would
  // find no meeting point at all.
  const FanCurve c({{500, 900}, {1000, 700}, {2000, 3000}, {2100, 3700}});
  const SystemCurve system = SystemCurve::throughPoint(1000, 650);
  const auto op = intersect(c, system);
  ASSERT_TRUE(op);
  EXPECT_NEAR(*c.pressureAt(op->flow), system.pressureAt(op->flow), 1e-6);
  EXPECT_GT(op->flow, 1500) << "the larger of the two meeting points in the segment";
  EXPECT_LT(op->flow, 2000);
  EXPECT_TRUE(isUnstable(c, *op));
}

TEST(OperatingPoint, LighterAirMovesThePointAlongTheSystemCurve) {
  // In air of 1.0 instead of 1.2 kg/m³ the straight curve gives 5/6 of its
  // pressure: (5/6)(1400 - 0.2·Q) = 2e-4·Q² at Q = 2034.2 m³/h.
  const FanCurve hot = straight().scaled(1, 1.0 / 1.2);
  const auto op = intersect(hot, SystemCurve::throughPoint(2000, 800));
  ASSERT_TRUE(op);
  expectWithinHalfAPercent(op->flow, 2034.24);
}

TEST(OperatingPoint, TheSpeedForTheDutyMeetsItExactly) {
  const FanCurve at1450 = parabola();
  const SystemCurve system = SystemCurve::throughPoint(2500, 700);
  const auto op = intersect(at1450, system);
  ASSERT_TRUE(op);
  ASSERT_GT(op->flow, 2500);
  const double speed = fanperf::speedForDutyFlow(1450, *op, 2500);
  EXPECT_LT(speed, 1450) << "the fan gives more than the duty, so it runs slower";
  const auto exact = intersect(at1450.scaled(speed / 1450, 1), system);
  ASSERT_TRUE(exact);
  EXPECT_NEAR(exact->flow, 2500, 1e-6);
  EXPECT_NEAR(exact->pressure, 700, 1e-6);
}

TEST(SystemCurve, ThroughTheDutyPointOnly) {
  const SystemCurve s = SystemCurve::throughPoint(2000, 800);
  EXPECT_DOUBLE_EQ(s.pressureAt(2000), 800);
  EXPECT_DOUBLE_EQ(s.pressureAt(1000), 200);
  EXPECT_DOUBLE_EQ(s.flowAt(800), 2000);
  EXPECT_THROW(SystemCurve::throughPoint(0, 800), std::invalid_argument);
  EXPECT_THROW(SystemCurve::throughPoint(2000, -1), std::invalid_argument);
  EXPECT_THROW(SystemCurve::throughPoint(NAN, 800), std::invalid_argument);
}

TEST(DutyBox, TheSystemCurveInsideTheBoxClosestToTheDuty) {
  const DutyBox box{4000, 5000, 1000, 1400};
  const SystemCurve through4500 = SystemCurve::throughPoint(4500, 1200);
  // The duty point itself is inside.
  auto op = systemCurveInBox(box, through4500, 4500, 4500 * 1.2);
  ASSERT_TRUE(op);
  EXPECT_DOUBLE_EQ(op->flow, 4500);
  EXPECT_NEAR(op->pressure, 1200, 1e-9);
  // A duty below the box: the system curve enters it at the box's lowest
  // pressure, 1000 Pa, at 3800·√(1000/900) = 4005.6 m³/h.
  const SystemCurve through3800 = SystemCurve::throughPoint(3800, 900);
  op = systemCurveInBox(box, through3800, 3800, 3800 * 1.2);
  ASSERT_TRUE(op);
  EXPECT_NEAR(op->flow, 4005.55, 0.01);
  EXPECT_NEAR(op->pressure, 1000, 1e-9);
  EXPECT_FALSE(systemCurveInBox(box, through3800, 3800, 3800 * 1.05)) << "beyond the flows asked";
  // A system curve that passes beside the box.
  EXPECT_FALSE(systemCurveInBox(box, SystemCurve::throughPoint(4500, 2000), 4500, 6000));
  // The box's corner is inside.
  op = systemCurveInBox(box, SystemCurve::throughPoint(4000, 1400), 4000, 4800);
  ASSERT_TRUE(op);
  EXPECT_NEAR(op->flow, 4000, 1e-9);
}

TEST(DutyBox, ScaledByTheFanLaws) {
  const DutyBox b = DutyBox{4000, 5000, 1000, 1400}.scaled(0.5, 0.9);
  EXPECT_DOUBLE_EQ(b.flowLow, 2000);
  EXPECT_DOUBLE_EQ(b.flowHigh, 2500);
  EXPECT_DOUBLE_EQ(b.pressureLow, 225);
  EXPECT_DOUBLE_EQ(b.pressureHigh, 315);
}
