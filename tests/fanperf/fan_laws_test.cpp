// Air density of dry air and the fan-law ratios.
#include "fanperf/fan_laws.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using fanperf::dryAirDensity;
using fanperf::FanLawRatio;

TEST(AirDensity, WorkedByHandAndRefusedForAirThatCannotBe) {
  // ρ = p / (287.05 · T): 90000 / (287.05 · 313.15) = 90000 / 89889.7075; standard air
  // 101325 / (287.05 · 293.15) lies just above the catalogues' 1.2.
  const struct {
    double celsius, pascals, density;
  } cases[] = {{40, 90000, 1.001227}, {20, 101325, 1.204118}, {-20, 101325, 1.394380}};
  for (const auto& c : cases) EXPECT_NEAR(dryAirDensity(c.celsius, c.pascals), c.density, 1e-6);
  for (const auto& [celsius, pascals] : {std::pair{-273.15, 101325.0},
                                         {-300.0, 101325.0},
                                         {20.0, 0.0},
                                         {20.0, -1.0},
                                         {std::nan(""), 101325.0}}) {
    EXPECT_THROW(dryAirDensity(celsius, pascals), std::invalid_argument)
        << celsius << " " << pascals;
  }
}

TEST(FanLaws, FlowWithSpeedPressureWithItsSquareTimesDensityPowerWithItsCube) {
  // Half the speed in air 0.9 times as dense.
  const FanLawRatio r{1450.0 / 2900, 0.9};
  EXPECT_DOUBLE_EQ(r.flow(), 0.5);
  EXPECT_DOUBLE_EQ(r.pressure(), 0.25 * 0.9);
  EXPECT_DOUBLE_EQ(r.power(), 0.125 * 0.9);
}
