// The chart of a candidate as data: axes that hold everything, curves through
// the measured points, the system curve through the duty, and its markers.
// (The SVG drawn from it is read back by the end-to-end test.)
#include "duty/duty_chart.h"

#include <gtest/gtest.h>

#include <cmath>

#include "duty/duty_svg.h"
#include "duty_test_models.h"

using duty::ChartAxis;
using duty::RowKind;
using dutytest::Catalogue;

namespace {

const duty::DutyConditions kDuty{1000, 500, 20, 101325};

const duty::ChartCurve& curve(const duty::DutyChart& c, const std::string& role) {
  for (const auto& k : c.curves) {
    if (k.role == role) return k;
  }
  throw std::runtime_error("no curve " + role);
}

void expectHolds(const duty::AxisScale& s, double v) {
  EXPECT_LE(s.min, v);
  EXPECT_GE(s.max, v);
}

}  // namespace

TEST(DutyChart, CurvesThroughTheirPointsOnAxesThatHoldThem) {
  Catalogue c;
  c.series("4-72", RowKind::Points)
      .curve("4", "A", "2900",
             {{800, 800, 70.0, 1.0},
              {1000, 760, 80.0, 1.2},
              {1300, 650, 84.0, 1.4},
              {1600, 400, 76.0, 1.5}});
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  ASSERT_EQ(s.candidates.size(), 1u);
  const duty::DutyChart chart = duty::buildDutyChart(c.get(), s, 0);
  EXPECT_EQ(chart.title, L"4-72 No.4 A 2900 r/min");
  ASSERT_TRUE(chart.efficiency);
  ASSERT_TRUE(chart.power);
  for (const char* role : {"pressure", "efficiency", "power"}) {
    const duty::ChartCurve& k = curve(chart, role);
    ASSERT_EQ(k.measured.size(), 4u) << role;
    EXPECT_DOUBLE_EQ(k.line.front().x, 800) << role << ": never extrapolated";
    EXPECT_DOUBLE_EQ(k.line.back().x, 1600) << role;
    for (const duty::ChartPoint& m : k.measured) {
      bool through = false;
      for (const duty::ChartPoint& p : k.line) through |= p.x == m.x && std::abs(p.y - m.y) < 1e-9;
      EXPECT_TRUE(through) << role << " at " << m.x;
    }
    const duty::AxisScale& axis = role == std::string("pressure")     ? chart.pressure
                                  : role == std::string("efficiency") ? *chart.efficiency
                                                                      : *chart.power;
    for (const duty::ChartPoint& p : k.line) {
      expectHolds(chart.flow, p.x);
      expectHolds(axis, p.y);
    }
  }
  EXPECT_GE(chart.efficiency->max, 100);
  const duty::ChartCurve& system = curve(chart, "system");
  EXPECT_DOUBLE_EQ(system.line.front().x, 0);
  for (const duty::ChartPoint& p : system.line) {
    EXPECT_NEAR(p.y, 5e-4 * p.x * p.x, 1e-6);
    EXPECT_LE(p.y, chart.pressure.max + 1e-6) << "the system curve stays inside the frame";
  }
  ASSERT_EQ(chart.markers.size(), 3u);
  EXPECT_EQ(chart.markers[0].role, "duty");
  EXPECT_DOUBLE_EQ(chart.markers[0].at.x, 1000);
  EXPECT_EQ(chart.markers[1].role, "operating");
  EXPECT_DOUBLE_EQ(chart.markers[1].at.x, s.candidates[0].point.flow);
  EXPECT_EQ(chart.markers[2].role, "peak");
  EXPECT_DOUBLE_EQ(chart.markers[2].at.y, 800);
}

TEST(DutyChart, BoxesInsteadOfCurvesForARangeModel) {
  Catalogue c;
  c.series("R", RowKind::Ranges)
      .boxes("5", "A", "2900", {{900, 1100, 400, 600, 70.0}, {1100, 1300, 300, 450, 75.0}});
  const duty::DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const duty::DutyChart chart = duty::buildDutyChart(c.get(), s, 0);
  ASSERT_EQ(chart.boxes.size(), 2u);
  EXPECT_DOUBLE_EQ(*chart.boxes[1].efficiency, 75);
  EXPECT_DOUBLE_EQ(chart.boxes[1].high.x, 1300);
  EXPECT_FALSE(chart.efficiency);
  EXPECT_FALSE(chart.power);
  expectHolds(chart.flow, 1300);
  expectHolds(chart.pressure, 600);
  EXPECT_EQ(chart.markers.size(), 2u) << "no peak for a box";
  const std::string svg = duty::dutyChartSvg(chart);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("class=\"box\""), std::string::npos);
  EXPECT_EQ(svg.find("data-axis=\"efficiency\""), std::string::npos);
}

TEST(DutyChart, TicksAtOneTwoOrFiveTimesAPowerOfTen) {
  for (const double high : {0.7, 1.3, 8.0, 97.0, 100.0, 1234.0, 8012.0, 51000.0}) {
    const duty::AxisScale s = duty::niceScale(ChartAxis::Flow, L"x", 0, high);
    EXPECT_EQ(s.min, 0);
    EXPECT_GE(s.max, high);
    const double ticks = (s.max - s.min) / s.step;
    EXPECT_GE(ticks, 3) << high;
    EXPECT_LE(ticks, 12) << high;
    const double mantissa = s.step / std::pow(10.0, std::floor(std::log10(s.step)));
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                std::abs(mantissa - 5) < 1e-9)
        << high << ": step " << s.step;
  }
  EXPECT_EQ(duty::niceScale(ChartAxis::Flow, L"x", 0, 8012).max, 10000);
}
