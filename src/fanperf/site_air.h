// The air at the site: atmospheric pressure from altitude, and moist-air density.
//
// Without an altitude and without a humidity the density is dryAirDensity's
// for the given temperature and pressure, to the last bit: the duty's air of
// today. An altitude gives the pressure of the standard atmosphere there (a
// pressure measured on site is given as `pressure` instead); a relative
// humidity adds water vapour, which is lighter than the dry air it displaces.
#pragma once

#include <optional>

#include "fanperf/fan_laws.h"

namespace fanperf {

// Pa at `altitude` metres above sea level in the International Standard
// Atmosphere's troposphere. Throws std::invalid_argument outside -500 m to
// 11 000 m, where the troposphere's constant lapse rate does not hold.
double isaPressure(double altitude);

// Pa, water vapour over a plane surface of water at saturation (Magnus form).
// Throws std::invalid_argument outside -45 °C to 60 °C, the formula's range.
double saturationVapourPressure(double celsius);

struct SiteAir {
  double celsius = kStandardAirCelsius;
  std::optional<double> altitude;          // m above sea level
  std::optional<double> pressure;          // Pa, absolute, measured on site
  std::optional<double> relativeHumidity;  // 0 to 1
};

enum class PressureSource { Given, Altitude, StandardAir };

struct AirAtSite {
  double density = 0;         // kg/m³
  double pressure = 0;        // Pa, absolute
  double vapourPressure = 0;  // Pa; 0 when the air is taken as dry
  PressureSource pressureSource = PressureSource::StandardAir;
  bool dry = true;  // no humidity given: dry air
};

// Throws std::invalid_argument for both an altitude and a pressure, a
// humidity outside 0 to 1, and what isaPressure, saturationVapourPressure and
// dryAirDensity refuse.
AirAtSite siteAir(const SiteAir& site);

}  // namespace fanperf
