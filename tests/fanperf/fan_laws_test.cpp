// Air density of dry air and the fan-law ratios.
#include "fanperf/fan_laws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using fanperf::dryAirDensity;
using fanperf::FanLawRatio;

TEST(AirDensity, WorkedByHand) {
  // 90000 / (287.05 · 313.15) = 90000 / 89889.7075
  EXPECT_NEAR(dryAirDensity(40, 90000), 1.001227, 1e-6);
  // 101325 / (287.05 · 293.15): standard air, just above the catalogues' 1.2
  EXPECT_NEAR(dryAirDensity(20, 101325), 1.204118, 1e-6);
  EXPECT_NEAR(dryAirDensity(-20, 101325), 1.394380, 1e-6);
}

TEST(AirDensity, RefusesAirThatCannotBe) {
  EXPECT_THROW(dryAirDensity(-273.15, 101325), std::invalid_argument);
  EXPECT_THROW(dryAirDensity(-300, 101325), std::invalid_argument);
  EXPECT_THROW(dryAirDensity(20, 0), std::invalid_argument);
  EXPECT_THROW(dryAirDensity(20, -1), std::invalid_argument);
  EXPECT_THROW(dryAirDensity(std::nan(""), 101325), std::invalid_argument);
}

TEST(FanLaws, FlowWithSpeedPressureWithItsSquareTimesDensityPowerWithItsCube) {
  const FanLawRatio twice{2, 1};
  EXPECT_DOUBLE_EQ(twice.flow(), 2);
  EXPECT_DOUBLE_EQ(twice.pressure(), 4);
  EXPECT_DOUBLE_EQ(twice.power(), 8);
  const FanLawRatio hot{1, 1.0 / 1.2};
  EXPECT_DOUBLE_EQ(hot.flow(), 1);
  EXPECT_DOUBLE_EQ(hot.pressure(), 1.0 / 1.2);
  EXPECT_DOUBLE_EQ(hot.power(), 1.0 / 1.2);
  const FanLawRatio both{1450.0 / 2900, 0.9};
  EXPECT_DOUBLE_EQ(both.pressure(), 0.25 * 0.9);
  EXPECT_DOUBLE_EQ(both.power(), 0.125 * 0.9);
}
