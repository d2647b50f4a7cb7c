// Which models reach a duty point, at which operating point, in which order.
//
// The duty point is 1000 m³/h at 500 Pa throughout (system curve k = 5e-4),
// and most fans have straight curves p = a - 0.6·Q, which meet it where
// 5e-4·Q² + 0.6·Q = a: a = 1181.25 at 1050 m³/h, 1265 at 1100, 1351.25 at
// 1150, 1531.25 at 1250 (too large) and 1021.25 at 950 (too small).
#include "duty/duty_selection.h"

#include <gtest/gtest.h>

#include "duty_test_models.h"
#include "fanperf/fan_laws.h"

using duty::Candidate;
using duty::DutySelection;
using duty::RowKind;
using dutytest::Catalogue;
using dutytest::straight;

namespace {

const duty::DutyConditions kDuty{1000, 500, 20, 101325};

duty::DutyConditions at(double celsius, double pascals) {
  return {kDuty.flow, kDuty.pressure, celsius, pascals};
}

std::string nameOf(const Catalogue& c, const Candidate& k) {
  const duty::CatalogueModel& m = c.get().models[k.model];
  return (m.bigModel + L"/" + m.fanNo).ToUtf8();
}

std::vector<std::string> order(const Catalogue& c, const DutySelection& s) {
  std::vector<std::string> names;
  for (const Candidate& k : s.candidates) names.push_back(nameOf(c, k));
  return names;
}

const Candidate& find(const Catalogue& c, const DutySelection& s, const std::string& name) {
  for (const Candidate& k : s.candidates) {
    if (nameOf(c, k) == name) return k;
  }
  throw std::runtime_error(name + " is not a candidate");
}

}  // namespace

TEST(DutySelection, EfficiencyFirstThenThoseWithoutThenTheUnstable) {
  Catalogue c;
  c.series("S1", RowKind::Points)
      .curve("1", "A", "2900", straight(1181.25, 0.6, 80, 80))
      .curve("2", "A", "2900", straight(1265, 0.6, 85, 85))
      .curve("3", "A", "2900", straight(1531.25, 0.6, 90, 90))
      .curve("4", "A", "2900", straight(1021.25, 0.6, 95, 95));
  // A series whose table has no efficiency: ranked by power among themselves.
  c.series("S2", RowKind::Points, false)
      .curve("5", "A", "2900", {{800, 701.25, {}, 2.0}, {1600, 221.25, {}, 2.0}})
      .curve("6", "A", "2900", {{800, 785, {}, 1.5}, {1600, 305, {}, 1.5}});
  // Rising to its peak at the last point: the system curve meets it on the
  // rising side, left of the peak, at the most efficient point of all.
  c.series("S3", RowKind::Points)
      .curve("7", "A", "2900", {{800, 300, 95.0}, {1100, 650, 95.0}, {1400, 700, 95.0}});
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  EXPECT_EQ(order(c, s), (std::vector<std::string>{"S1/2", "S1/1", "S2/6", "S2/5", "S3/7"}))
      << "1250 m³/h is more than a fifth over the duty, 950 short of it";
  const Candidate& best = s.candidates[0];
  EXPECT_NEAR(best.point.flow, 1100, 0.01);
  EXPECT_NEAR(best.point.pressure, 605, 0.01);
  EXPECT_NEAR(*best.efficiency, 85, 1e-9);
  EXPECT_NEAR(*best.peakDistance, 1100.0 / 800 - 1, 1e-6) << "its peak is its first point";
  EXPECT_NEAR(*best.motorMargin, 0.5, 1e-9);
  EXPECT_FALSE(best.unstable);
  EXPECT_FALSE(s.candidates[2].efficiency);
  EXPECT_TRUE(s.candidates[4].unstable);
  EXPECT_LT(*s.candidates[4].peakDistance, 0);
}

TEST(DutySelection, TiesGoToTheLowerPowerThenTheFlowNearerTheDuty) {
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("1", "A", "2900", straight(1265, 0.6, 80, 80, 2.0))
      .curve("2", "A", "2900", straight(1351.25, 0.6, 80, 80, 1.0))
      .curve("3", "A", "2900", straight(1181.25, 0.6, 80, 80, 1.0));
  EXPECT_EQ(order(c, duty::selectForDuty(c.get(), kDuty)),
            (std::vector<std::string>{"S/3", "S/2", "S/1"}));
}

TEST(DutySelection, FromTheDutyFlowToAFifthAbove) {
  // a for 1000, 1199 and 1201 m³/h.
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("1000", "A", "2900", straight(1100, 0.6))
      .curve("1199", "A", "2900", straight(5e-4 * 1199 * 1199 + 0.6 * 1199, 0.6))
      .curve("1201", "A", "2900", straight(5e-4 * 1201 * 1201 + 0.6 * 1201, 0.6));
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  ASSERT_EQ(order(c, s), (std::vector<std::string>{"S/1000", "S/1199"}));
  EXPECT_NEAR(s.candidates[0].point.flow, 1000, 1e-6) << "a curve through the duty point";
}

TEST(DutySelection, WarmOrThinAirTakesPressureAndPowerAndChangesTheCandidates) {
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("A", "A", "2900", straight(1180, 0.6))   // 1049 m³/h in the catalogue's air
      .curve("B", "A", "2900", straight(1500, 0.6))   // 1233: too large there
      .curve("C", "A", "2900", straight(1265, 0.6));  // 1100
  c.series("R", RowKind::Ranges).boxes("D", "A", "2900", {{900, 1100, 400, 700, 70, 2.0, 3.0}});
  const DutySelection cold = duty::selectForDuty(c.get(), kDuty);
  // A and C tie on efficiency and power: the flow nearer the duty goes first.
  EXPECT_EQ(order(c, cold), (std::vector<std::string>{"S/A", "S/C", "R/D"}));
  // At 80 °C air is 293.15 / 353.15 = 0.83 times as dense: every pressure
  // falls by that, A no longer reaches the duty and B now does.
  const DutySelection hot = duty::selectForDuty(c.get(), at(80, 101325));
  const double ratio = hot.density / cold.density;
  EXPECT_NEAR(ratio, 293.15 / 353.15, 1e-9);
  EXPECT_EQ(order(c, hot), (std::vector<std::string>{"S/C", "S/B", "R/D"}));
  // The same density at 20 °C and 84.1 kPa gives the same choice.
  EXPECT_EQ(order(c, duty::selectForDuty(c.get(), at(20, 101325 * ratio))), order(c, hot));
  // Power follows the density: exactly, for C's flat power curve and D's box.
  EXPECT_NEAR(*find(c, hot, "S/C").shaftPower, 1.0 * ratio, 1e-9);
  EXPECT_NEAR(*find(c, hot, "R/D").shaftPower, 2.0 * ratio, 1e-9);
  EXPECT_LT(find(c, hot, "S/C").point.flow, find(c, cold, "S/C").point.flow)
      << "with less pressure the operating point slides down the system curve";
  EXPECT_GT(*find(c, hot, "R/D").motorMargin, *find(c, cold, "R/D").motorMargin);
}

TEST(DutySelection, RangeBoxesGiveTheDutyOrTheNearestPointOfTheirBox) {
  Catalogue c;
  c.series("R", RowKind::Ranges)
      // The duty lies in both of the first two boxes: the more efficient counts.
      .boxes("1", "A", "2900",
             {{900, 1000, 450, 550, 70, 2.0, 3.0}, {1000, 1100, 500, 700, 78, 2.2, 3.0}})
      // The system curve enters this box at 600 Pa, 1095.4 m³/h.
      .boxes("2", "A", "2900", {{1050, 1150, 600, 800, 80}})
      // Below the duty only.
      .boxes("3", "A", "2900", {{700, 950, 300, 450, 90}});
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  ASSERT_EQ(order(c, s), (std::vector<std::string>{"R/2", "R/1"}));
  const Candidate& one = find(c, s, "R/1");
  EXPECT_EQ(one.kind, duty::CandidateKind::Box);
  EXPECT_DOUBLE_EQ(one.point.flow, 1000);
  EXPECT_NEAR(one.point.pressure, 500, 1e-9);
  EXPECT_DOUBLE_EQ(*one.efficiency, 78);
  EXPECT_DOUBLE_EQ(*one.shaftPower, 2.2);
  EXPECT_FALSE(one.peak) << "a box says nothing of the curve's peak";
  EXPECT_FALSE(one.unstable);
  const Candidate& two = find(c, s, "R/2");
  EXPECT_NEAR(two.point.flow, 1095.45, 0.01);
  EXPECT_NEAR(two.point.pressure, 600, 1e-9);
  EXPECT_FALSE(two.shaftPower);
}

TEST(DutySelection, BeltDrivesGetTheSpeedThatMeetsTheDuty) {
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("1", "C", "1450", straight(1265, 0.6))
      .curve("2", "B", "abc", straight(1265, 0.6));
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  ASSERT_EQ(s.candidates.size(), 2u);
  EXPECT_NEAR(*find(c, s, "S/1").exactSpeed, 1450 * 1000.0 / 1100, 1e-3);
  EXPECT_FALSE(find(c, s, "S/2").exactSpeed) << "a speed that is no number gives none";
  // B, C, E in either case and words for a belt are belt drives (the sample's: e2e).
  for (const wchar_t* belt : {L"e", L"三角带传动"}) EXPECT_TRUE(duty::isBeltDrive(belt));
  for (const wchar_t* direct : {L"直联", L"CD"}) EXPECT_FALSE(duty::isBeltDrive(direct));
}

TEST(DutySelection, RowsThatMakeNoCurveOrBoxAreCountedAndSeriesWithProblemsSkipped) {
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("1", "A", "2900", {{1000, 500}})
      .curve("2", "A", "2900", {{1000, 500}, {1000, 400}})
      .curve("3", "A", "2900", straight(1265, 0.6));
  c.series("R", RowKind::Ranges).boxes("4", "A", "2900", {{1100, 900, 400, 600}});
  c.series("X", RowKind::Points).curve("5", "A", "2900", straight(1265, 0.6));
  c.edit().series.back().problem = L"参数表 X_Parameter 无法读取";
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  EXPECT_EQ(order(c, s), std::vector<std::string>{"S/3"});
  EXPECT_EQ(s.modelsWithoutRows, 3);
}

// A large catalogue is looked at on two threads: the same candidates and
// counts as one thread looking at every model in turn.
TEST(DutySelection, ALargeCatalogueGivesWhatOneModelAfterAnotherGives) {
  Catalogue c;
  c.series("S", RowKind::Points);
  for (int i = 0; i < 2000; ++i) {
    const std::string n = std::to_string(i);
    if (i % 7 == 0) {
      c.curve(n, "A", "2900", {{1000, 500}});  // no curve
    } else {
      c.curve(n, "A", "2900", straight(1100 + (i % 500) * 0.5, 0.6));
    }
  }
  c.series("R", RowKind::Ranges);
  for (int i = 0; i < 1000; ++i) {
    const double low = 500 + i;
    c.boxes(std::to_string(i), "A", "2900", {{low, low + 400, 300, 700}});
  }
  std::vector<std::size_t> every(c.get().models.size());
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = i;
  const DutySelection both = duty::selectForDuty(c.get(), kDuty);
  const DutySelection one = duty::selectForDuty(c.get(), kDuty, every);
  EXPECT_GT(both.candidates.size(), 300u);
  EXPECT_EQ(order(c, both), order(c, one));
  EXPECT_EQ(both.modelsWithoutRows, one.modelsWithoutRows);
  EXPECT_GT(both.modelsWithoutRows, 200);
}

TEST(DutySelection, RefusesADutyOrAirThatCannotBe) {
  Catalogue c;
  for (const duty::DutyConditions& bad : {duty::DutyConditions{0, 500, 20, 101325},
                                          {1000, -5, 20, 101325},
                                          {1000, 500, -300, 101325}}) {
    EXPECT_THROW(duty::selectForDuty(c.get(), bad), std::invalid_argument) << bad.flow;
  }
}

// Two fans p = 1265 - 0.6·q each: in parallel on 2000 m³/h at 500 Pa each
// runs at 1100 m³/h and 605 Pa, the set at 2200; in series on 1000 m³/h at
// 1000 Pa each gives 605 Pa at 1100, the set 1210. Shaft and motor power are
// the set's (2 × 2.0 and 2 × 3 kW), the efficiency each fan's.
TEST(DutySelection, ASetOfFansMeetsTheSystemOnItsCombinedCurve) {
  Catalogue c;
  c.series("4-72", RowKind::Points).curve("4.5", "A", "2900", straight(1265, 0.6, 80, 80, 2.0));
  c.series("R", RowKind::Ranges).boxes("5", "A", "2900", {{1000, 1200, 550, 650, 70, 1, 1.5}});
  struct Case {
    fanperf::Arrangement arrangement;
    double flow, pressure, setFlow, setPressure, boxFlow, boxPressure;
  };
  for (const Case& k :
       {Case{fanperf::Arrangement::Parallel, 2000, 500, 2200, 605, 2097.618, 550},
        Case{fanperf::Arrangement::Series, 1000, 1000, 1100, 1210, 1048.809, 1100}}) {
    duty::DutyConditions d = kDuty;
    d.flow = k.flow;
    d.pressure = k.pressure;
    d.fans = 2;
    d.arrangement = k.arrangement;
    const DutySelection s = duty::selectForDuty(c.get(), d);
    ASSERT_EQ(order(c, s), (std::vector<std::string>{"4-72/4.5", "R/5"}));
    const Candidate& fan = s.candidates[0];
    const std::vector<double> got = {fan.point.flow,       fan.point.pressure, fan.eachFan.flow,
                                     fan.eachFan.pressure, *fan.efficiency,    *fan.shaftPower,
                                     *fan.motorPower};
    const std::vector<double> want = {k.setFlow, k.setPressure, 1100, 605, 80, 4, 6};
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << i;
    EXPECT_FALSE(fan.unstable || fan.unstableSharing);
    // The box of one fan, stretched (flows or pressures doubled): the system
    // enters it at its low pressure, at the duty flow times √1.1.
    const Candidate& box = s.candidates[1];
    EXPECT_NEAR(box.point.flow, k.boxFlow, 1e-3);
    EXPECT_NEAR(box.point.pressure, k.boxPressure, 1e-6);
    EXPECT_NEAR(*box.shaftPower, 2.0, 1e-9);
  }
}

// Fans that peak at 800 m³/h, in parallel at 1200 m³/h for the set, each run
// near 600: left of their peak, so the set may share unevenly and is listed
// last as unstable, with the warning beside it.
TEST(DutySelection, AParallelSetLeftOfItsPeakIsUnstableAndSaysSo) {
  Catalogue c;
  c.series("S", RowKind::Points)
      .curve("1", "A", "2900",
             {{400, 560, 60, 1.0, 1.5}, {800, 600, 70, 1.2, 1.5}, {1600, 200, 60, 1.4, 1.5}});
  duty::DutyConditions d = kDuty;
  d.flow = 1200;
  d.pressure = 580;
  d.fans = 2;
  const DutySelection s = duty::selectForDuty(c.get(), d);
  ASSERT_EQ(s.candidates.size(), 1u);
  EXPECT_LT(s.candidates[0].eachFan.flow, 800);
  EXPECT_TRUE(s.candidates[0].unstable);
  EXPECT_TRUE(s.candidates[0].unstableSharing);
}

// Curves and boxes at the edges of the flows a candidate may take (1000 to 1200 m³/h): one that
// ends at the duty point or begins at 1190 m³/h on the system curve (708.05 Pa) reaches it; one
// wholly left or right of those flows does not, and has rows all the same; one whose rows come
// in no order is judged on its curve. Rows that make no curve or box are counted.
TEST(DutySelection, CurvesAndBoxesAtTheEdgesOfTheDutysFlows) {
  struct Case {
    const char* name;
    std::vector<dutytest::Point> points;  // none: the boxes
    std::vector<dutytest::Box> boxes;
    bool reaches;
  };
  const Case cases[] = {
      {"ends at the duty", {{500, 800}, {1000, 500}}, {}, true},
      {"begins inside the oversize", {{1190, 708.05}, {1600, 300}}, {}, true},
      {"left of the duty", {{500, 800}, {990, 700}}, {}, false},
      {"right of the oversize", {{1210, 900}, {1600, 500}}, {}, false},
      {"rows in no order", {{1600, 300}, {1000, 800}}, {}, true},
      {"one point", {{1500, 100}}, {}, false},
      {"box ending at the duty", {}, {{900, 1000, 400, 600}}, true},
      {"box beginning inside the oversize", {}, {{1190, 1400, 600, 800}}, true},
      {"box right of the oversize", {}, {{1210, 1400, 600, 900}}, false},
      {"box upside down", {}, {{1000, 900, 400, 600}}, false},
  };
  Catalogue c;
  c.series("P", RowKind::Points);
  for (const Case& t : cases) {
    if (!t.points.empty()) c.curve(t.name, "A", "2900", t.points);
  }
  c.series("R", RowKind::Ranges);
  for (const Case& t : cases) {
    if (t.points.empty()) c.boxes(t.name, "A", "2900", t.boxes);
  }
  const DutySelection s = duty::selectForDuty(c.get(), kDuty);
  const std::vector<std::string> candidates = order(c, s);
  for (const Case& t : cases) {
    const std::string name = (t.points.empty() ? "R/" : "P/") + std::string(t.name);
    EXPECT_EQ(std::count(candidates.begin(), candidates.end(), name), t.reaches) << name;
  }
  EXPECT_EQ(s.modelsWithoutRows, 2) << "one point, a box upside down";
}
