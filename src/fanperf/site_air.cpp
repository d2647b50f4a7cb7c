// The standard atmosphere's pressure, Magnus's saturation pressure, moist-air density.
#include "fanperf/site_air.h"

#include <cmath>
#include <stdexcept>

namespace fanperf {

namespace {

// The troposphere of the U.S. Standard Atmosphere 1976 (identical to ISA below
// 11 km), as tabulated in "Barometric formula" (Wikipedia, quoted at
// fxsolver.com/solve/preset/table/1 and piglix.com/piglix/Isothermal_atmosphere):
// P0 = 101325 Pa, T0 = 288.15 K, lapse rate 0.0065 K/m, g0 = 9.80665 m/s²,
// M = 0.0289644 kg/mol, R* = 8.31432 J/(mol·K). The exponent g0·M/(R*·L) is
// 5.25588 and L/T0 is 2.25577e-5 /m.
constexpr double kSeaLevelPressure = 101325;  // Pa
constexpr double kSeaLevelKelvin = 288.15;
constexpr double kLapseRate = 0.0065;  // K/m
constexpr double kGravity = 9.80665;
constexpr double kMolarMassAir = 0.0289644;
constexpr double kGasConstantUniversal = 8.31432;
constexpr double kTropopause = 11000;  // m
constexpr double kLowestSite = -500;   // m, below the Dead Sea shore

// Magnus's formula with the WMO's constants (Guide to Meteorological Instruments
// and Methods of Observation, WMO-No. 8, 7th ed. 2008, Annex 4.B, quoted at
// hydro-wiki.de/en/hydro/saturated-vapour-pressure): e = 611.2 Pa ·
// exp(17.62·t / (243.12 + t)), t in °C, over water from -45 to 60 °C. The
// guide's enhancement factor f(p) for moist air (below 0.5 %) is left out.
constexpr double kMagnusPressure = 611.2;  // Pa
constexpr double kMagnusB = 17.62;
constexpr double kMagnusC = 243.12;  // °C
constexpr double kMagnusLow = -45, kMagnusHigh = 60;

// J/(kg·K), water vapour; the dry air's is kDryAirGasConstant. Summing the
// partial densities, ρ = p_d/(R_d·T) + p_v/(R_v·T), as calculator.academy/
// air-density-calculator gives it with R_v = 461.495.
constexpr double kVapourGasConstant = 461.495;

}  // namespace

double isaPressure(double altitude) {
  if (!std::isfinite(altitude) || altitude < kLowestSite || altitude > kTropopause) {
    throw std::invalid_argument("the altitude must lie between -500 m and 11000 m");
  }
  const double exponent = kGravity * kMolarMassAir / (kGasConstantUniversal * kLapseRate);
  return kSeaLevelPressure * std::pow(1 - kLapseRate * altitude / kSeaLevelKelvin, exponent);
}

double saturationVapourPressure(double celsius) {
  if (!std::isfinite(celsius) || celsius < kMagnusLow || celsius > kMagnusHigh) {
    throw std::invalid_argument("humid air is computed between -45 °C and 60 °C only");
  }
  return kMagnusPressure * std::exp(kMagnusB * celsius / (kMagnusC + celsius));
}

AirAtSite siteAir(const SiteAir& site) {
  if (site.altitude && site.pressure) {
    throw std::invalid_argument("give the site's altitude or its pressure, not both");
  }
  AirAtSite air;
  if (site.pressure) {
    air.pressure = *site.pressure;
    air.pressureSource = PressureSource::Given;
  } else if (site.altitude) {
    air.pressure = isaPressure(*site.altitude);
    air.pressureSource = PressureSource::Altitude;
  } else {
    air.pressure = kStandardAirPressure;
  }
  // Dry air goes through dryAirDensity itself, so that no humidity gives the
  // density the duty computed before humidity existed, bit for bit.
  air.density = dryAirDensity(site.celsius, air.pressure);
  if (!site.relativeHumidity) return air;
  const double rh = *site.relativeHumidity;
  if (!std::isfinite(rh) || rh < 0 || rh > 1) {
    throw std::invalid_argument("the relative humidity must lie between 0 and 1");
  }
  air.vapourPressure = rh * saturationVapourPressure(site.celsius);
  if (air.vapourPressure >= air.pressure) {
    throw std::invalid_argument("the water vapour's pressure reaches the air's");
  }
  const double kelvin = site.celsius + kZeroCelsius;
  air.density = (air.pressure - air.vapourPressure) / (kDryAirGasConstant * kelvin) +
                air.vapourPressure / (kVapourGasConstant * kelvin);
  air.dry = false;
  return air;
}

}  // namespace fanperf
