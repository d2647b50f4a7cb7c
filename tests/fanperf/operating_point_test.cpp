// Operating points worked by hand, meeting points that do not exist, the
// unstable side, the exact speed for the duty, and range boxes.
#include "fanperf/operating_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
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

}  // namespace

TEST(OperatingPoint, MeetsTheSystemCurveWhereWorkedByHand) {
  const struct {
    const char* why;
    FanCurve curve;
    double dutyFlow, dutyPressure;         // the system curve passes through this point
    std::optional<double> flow, pressure;  // the meeting point, when there is one
    double tolerance;                      // of the flow
  } cases[] = {
      // 2e-4·Q² + 0.2·Q - 1400 = 0 gives Q = (-0.2 + √1.16) / 4e-4: root finding is far
      // better than the half percent the catalogue's data allow.
      {"straight", straight(), 2000, 800, 2192.58, 961.48, 0.01},
      // 1600 - 1e-4·Q² = 1e-4·Q² at Q = √(1600 / 2e-4).
      {"curved", parabola(), 1000, 100, 2828.43, 800, 0.005 * 2828.43},
      // In air of 1.0 instead of 1.2 kg/m³ the straight curve gives 5/6 of its pressure:
      // (5/6)(1400 - 0.2·Q) = 2e-4·Q².
      {"lighter air", straight().scaled(1, 1.0 / 1.2), 2000, 800, 2034.24, {}, 0.005 * 2034.24},
      // At 1000 m³/h the system already needs 4800 Pa.
      {"too steep", straight(), 500, 1200, {}, {}, 0},
      // At 3000 m³/h it needs 25 Pa, and the curve is not extended beyond its last point
      // to find where it would meet it.
      {"too flat", straight(), 6000, 100, {}, {}, 0},
      {"through the first point", straight(), 1000, 1200, 1000, 1200, 1e-6},
      {"through the last point", straight(), 3000, 800, 3000, 800, 1e-6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const auto op = intersect(c.curve, SystemCurve::throughPoint(c.dutyFlow, c.dutyPressure));
    ASSERT_EQ(op.has_value(), c.flow.has_value());
    if (!op) continue;
    EXPECT_NEAR(op->flow, *c.flow, c.tolerance);
    if (c.pressure) {
      EXPECT_NEAR(op->pressure, *c.pressure, 0.005 * *c.pressure);
    }
  }
}

TEST(OperatingPoint, OfTwoMeetingPointsTheLargerFlowAndWhetherItIsUnstable) {
  const struct {
    const char* why;
    FanCurve curve;
    double at1000;  // the system curve's pressure at 1000 m³/h
    double above, below;
    bool unstable;
  } cases[] = {
      // Steeply rising left of the peak at 3000 m³/h, so the system curve (above the curve
      // at 1000 and 4000 m³/h, below it at 2000 and 3000) cuts it on both sides of the peak.
      {"hump", FanCurve({{1000, 100}, {2000, 1000}, {3000, 1100}, {4000, 700}}), 110, 3000, 4000,
       false},
      // Cut off at its peak, only the meeting point on the rising side is left.
      {"rising", FanCurve({{1000, 100}, {2000, 1000}, {3000, 1100}}), 110, 1000, 2000, true},
      // From the dip at 1000 m³/h the curve rises slowly, then steeply towards 2000: both
      // ends of that segment lie above the system curve (650 < 700 Pa, 2600 < 3000 Pa) but
      // its middle sags below it (about 1350 against 1462 Pa at 1500 m³/h). Checking signs
      // at the points alone would find no meeting point at all.
      {"dip inside a segment", FanCurve({{500, 900}, {1000, 700}, {2000, 3000}, {2100, 3700}}), 650,
       1500, 2000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const SystemCurve system = SystemCurve::throughPoint(1000, c.at1000);
    const auto op = intersect(c.curve, system);
    ASSERT_TRUE(op);
    EXPECT_GT(op->flow, c.above);
    EXPECT_LT(op->flow, c.below);
    EXPECT_NEAR(op->pressure, system.pressureAt(op->flow), 1e-6);
    EXPECT_NEAR(*c.curve.pressureAt(op->flow), op->pressure, 1e-6);
    EXPECT_EQ(isUnstable(c.curve, *op), c.unstable);
  }
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

TEST(DutyBox, TheSystemCurveInsideTheBoxClosestToTheDutyAndTheBoxScaledByTheFanLaws) {
  const DutyBox box{4000, 5000, 1000, 1400};
  const struct {
    const char* why;
    double dutyFlow, dutyPressure, maxFlow;
    std::optional<double> flow, pressure;
  } cases[] = {
      {"the duty point itself is inside", 4500, 1200, 4500 * 1.2, 4500, 1200},
      // The system curve enters the box at its lowest pressure, 1000 Pa, at
      // 3800·√(1000/900) = 4005.6 m³/h.
      {"a duty below the box", 3800, 900, 3800 * 1.2, 4005.55, 1000},
      {"beyond the flows asked", 3800, 900, 3800 * 1.05, {}, {}},
      {"a system curve beside the box", 4500, 2000, 6000, {}, {}},
      {"the box's corner is inside", 4000, 1400, 4800, 4000, 1400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const auto op = systemCurveInBox(box, SystemCurve::throughPoint(c.dutyFlow, c.dutyPressure),
                                     c.dutyFlow, c.maxFlow);
    ASSERT_EQ(op.has_value(), c.flow.has_value());
    if (!op) continue;
    EXPECT_NEAR(op->flow, *c.flow, 0.01);
    EXPECT_NEAR(op->pressure, *c.pressure, 1e-9);
  }
  const DutyBox b = box.scaled(0.5, 0.9);
  EXPECT_DOUBLE_EQ(b.flowLow, 2000);
  EXPECT_DOUBLE_EQ(b.flowHigh, 2500);
  EXPECT_DOUBLE_EQ(b.pressureLow, 225);
  EXPECT_DOUBLE_EQ(b.pressureHigh, 315);
}
