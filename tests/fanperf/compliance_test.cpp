// Electrical input, Fan Energy Index, ecodesign grade and SFP class, worked by hand
// from the formulas and tables cited in electrical_input.cpp and compliance.cpp.
#include "fanperf/compliance.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace fanperf;

TEST(ElectricalInput, DriveThenMotorLossesWorkedByHand) {
  const struct {
    double shaft;
    DriveTrain train;
    double motorRating, power;
  } cases[] = {
      // 2 kW on a 2.2 kW IE3 motor of 86.7 %: 2 / 0.867.
      {2, {}, 2.2, 2.306805},
      // 2 / 0.95 = 2.105263 kW, still a 2.2 kW motor.
      {2, {Drive::Belt, 0.95, {}}, 2.2, 2.428216},
      // AMCA 207: 0.96·(3/4.64)^0.05 = 0.939294, so 3.193889 kW on a 4 kW motor of 88.6 %.
      {3, {Drive::Belt, {}, {}}, 4, 3.604841},
      {10, {Drive::Direct, {}, 0.9}, 0, 11.111111},
      // Above the table, AMCA 208's IE3 fit at x = log10(10) = 1: the sum of its
      // coefficients, 0.925278.
      {10, {}, 0, 10.807562},
  };
  for (const auto& c : cases) {
    const ElectricalInput in = electricalInput(c.shaft, c.train);
    EXPECT_NEAR(in.power, c.power, 1e-6) << c.shaft;
    EXPECT_EQ(in.motorRating.value_or(0), c.motorRating);
  }
  EXPECT_THROW(electricalInput(0.5, {}), UnknownMotorEfficiency);
  EXPECT_THROW(electricalInput(2, {Drive::Belt, 1.2, {}}), std::invalid_argument);
}

TEST(FanEnergyIndex, ReferenceFanWorkedByHand) {
  // 2 m³/s at 500 Pa in 1.2 kg/m³: H_ref = 2.118·600/660 = 1.925455 kW; η_trans =
  // 0.96·(1.925455/3.565455)^0.05 = 0.930877; x = log10(2.068431) = 0.315641, so
  // η_mtr = 0.883449 and FEP_ref = 2.341313 kW. In 1.0 kg/m³ P0 counts 83.3 Pa:
  // FEP_ref = 2.280465 kW. 100 m³/s at 1500 Pa needs 252.9 kW of motor: 0.962.
  const struct {
    double flow, pressure, density, actual, reference, index;
  } cases[] = {{2, 500, 1.2, 2.0, 2.341313, 1.170656},
               {2, 500, 1.0, 2.0, 2.280465, 1.140233},
               {100, 1500, 1.2, 300, 262.898520, 0.876328}};
  for (const auto& c : cases) {
    const FanEnergyIndex f = fanEnergyIndex(c.flow, c.pressure, c.density, c.actual);
    EXPECT_NEAR(f.referenceElectricalPower, c.reference, 1e-5);
    EXPECT_NEAR(f.index, c.index, 1e-6);
    EXPECT_EQ(f.passes, c.index >= 1);
  }
  EXPECT_THROW(fanEnergyIndex(0, 500, 1.2, 2), std::invalid_argument);
}

TEST(Ecodesign, TargetAndGradeOfThe2011TableWorkedByHand) {
  using C = FanCategory;
  using B = EfficiencyBasis;
  const struct {
    C category;
    B basis;
    double efficiency, power;
    double target, achieved;  // NAN target: no rule or out of scope
    bool passes;
  } cases[] = {
      // 4.56·ln 5 - 10.5 = -3.160963, N 64.
      {C::CentrifugalBackwardCurvedWithHousing, B::Total, 60, 5, 60.839037, 63.160963, false},
      {C::CentrifugalBackwardCurvedWithHousing, B::Total, 65, 5, 60.839037, 68.160963, true},
      // Above 10 kW: 1.1·ln 20 - 2.6 = 0.695306, N 61 static.
      {C::CentrifugalBackwardCurvedWithHousing, B::Static, 62, 20, 61.695306, 61.304694, true},
      // 2.74·ln 2 - 6.33 = -4.430777, N 44.
      {C::CentrifugalForwardCurved, B::Static, 40, 2, 39.569223, 44.430777, true},
      {C::CentrifugalRadialBladed, B::Total, 40, 2, 44.569223, 44.430777, false},
      {C::CentrifugalBackwardCurvedWithoutHousing, B::Total, 60, 5, NAN, 0, false},
      {C::CentrifugalBackwardCurvedWithoutHousing, B::Static, 60, 0.1, NAN, 0, false},
  };
  for (const auto& c : cases) {
    const auto g = ecodesignGrade(ecodesign327Of2011(), c.category, c.basis, c.efficiency, c.power);
    ASSERT_EQ(g.has_value(), !std::isnan(c.target)) << c.efficiency << " " << c.power;
    if (!g) continue;
    EXPECT_NEAR(g->targetEfficiency, c.target, 1e-6);
    EXPECT_NEAR(g->achievedGrade, c.achieved, 1e-6);
    EXPECT_EQ(g->passes, c.passes);
  }
}

TEST(Sfp, ClassBoundsBelongToTheLowerClass) {
  for (const auto& [sfp, cls] : {std::pair{299.0, 0},
                                 {300.0, 0},
                                 {301.0, 1},
                                 {750.0, 2},
                                 {751.0, 3},
                                 {2000.0, 4},
                                 {4500.0, 6},
                                 {4501.0, 7}}) {
    EXPECT_EQ(sfpClass(sfp), cls) << sfp;
  }
}

TEST(Compliance, OneOperatingPointEveryFact) {
  // 7200 m³/h at 500 Pa total, 1.6 kW on the shaft, direct drive: a 2.2 kW IE3 motor,
  // 1.6/0.867 = 1.845444 kW. FEI 2.341313/1.845444; SFP 922.7 (class 3); η = 1000 W /
  // 1845.444 W = 54.1875 % against 4.56·ln 1.845444 - 10.5 + 64 = 56.294003 %.
  ComplianceQuery q;
  q.point = {7200, 500, {}, 1.6, 1.2};
  const Compliance c = complianceAt(q);
  EXPECT_NEAR(c.electrical.power, 1.845444, 1e-6);
  EXPECT_NEAR(c.fei.index, 1.268699, 1e-6);
  EXPECT_EQ(c.sfp, 3);
  ASSERT_TRUE(c.ecodesign);
  EXPECT_NEAR(c.ecodesign->efficiency, 54.1875, 1e-4);
  EXPECT_NEAR(c.ecodesign->targetEfficiency, 56.294003, 1e-6);
  EXPECT_FALSE(c.ecodesign->passes);
  EXPECT_NE(c.ecodesign->edition.find("327/2011"), std::string::npos);
  EXPECT_EQ(c.assumptions.size(), 5u);
  q.basis = EfficiencyBasis::Static;
  EXPECT_FALSE(complianceAt(q).ecodesign) << "no static pressure, no static efficiency";
}
