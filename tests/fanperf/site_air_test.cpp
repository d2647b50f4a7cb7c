// The standard atmosphere's pressure, Magnus's saturation pressure and moist-air
// density, against values worked by hand from the formulas cited in site_air.cpp.
#include "fanperf/site_air.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using fanperf::SiteAir;
using fanperf::siteAir;

namespace {

SiteAir site(double celsius, std::optional<double> altitude, std::optional<double> pressure = {},
             std::optional<double> humidity = {}) {
  return {celsius, altitude, pressure, humidity};
}

}  // namespace

TEST(SiteAir, PressureAndSaturationPressureWorkedByHand) {
  // p = 101325·(1 - 0.0065·h/288.15)^5.25588: at 1500 m the base is 0.9661635 and
  // its power 0.834505; at 11 000 m the 22632 Pa the standard atmosphere tabulates.
  for (const auto& [altitude, pascals, tolerance] :
       {std::tuple{0.0, 101325.0, 1e-9}, {1500.0, 84556.0, 0.5}, {11000.0, 22632.1, 1.0}}) {
    EXPECT_NEAR(fanperf::isaPressure(altitude), pascals, tolerance) << altitude;
  }
  // e = 611.2·exp(17.62·t/(243.12 + t)): 611.2 Pa at 0 °C, exp(1.339237)·611.2 at 20 °C.
  EXPECT_DOUBLE_EQ(fanperf::saturationVapourPressure(0), 611.2);
  EXPECT_NEAR(fanperf::saturationVapourPressure(20), 2332.60, 0.01);
}

TEST(SiteAir, MoistAirAt1500MetresAnd60PercentWorkedByHand) {
  // 20 °C, 1500 m, 60 %: p = 84556.0 Pa, p_v = 0.6·2332.60 = 1399.56 Pa, so
  // ρ = (84556.0 - 1399.56)/(287.05·293.15) + 1399.56/(461.495·293.15)
  //   = 0.988208 + 0.010345 = 0.998553 kg/m³, against 1.004840 for dry air there.
  const auto air = siteAir(site(20, 1500, {}, 0.6));
  EXPECT_NEAR(air.density, 0.998553, 1e-6);
  EXPECT_NEAR(air.vapourPressure, 1399.56, 0.01);
  EXPECT_EQ(air.pressureSource, fanperf::PressureSource::Altitude);
  EXPECT_FALSE(air.dry);
  EXPECT_NEAR(siteAir(site(20, 1500)).density, 1.004840, 1e-6);
}

TEST(SiteAir, WithoutAltitudeOrHumidityTheDensityIsTodaysExactly) {
  EXPECT_EQ(siteAir({}).density, fanperf::dryAirDensity(20, 101325));
  EXPECT_EQ(siteAir({}).pressureSource, fanperf::PressureSource::StandardAir);
  const auto measured = siteAir(site(35, {}, 95000));
  EXPECT_EQ(measured.density, fanperf::dryAirDensity(35, 95000));
  EXPECT_TRUE(measured.dry);
}

TEST(SiteAir, RefusesAirItCannotCompute) {
  for (const SiteAir& bad :
       {site(20, 100, 99000), site(20, {}, {}, 1.5), site(20, 12000), site(70, {}, {}, 0.5)}) {
    EXPECT_THROW(siteAir(bad), std::invalid_argument);
  }
}
