// The fan laws for another speed and air density, and the density of dry air.
//
// For one fan (one impeller, so geometrically the same) running at n times
// the speed in air of d times the density: flow is n times, pressure n²·d
// times, power n³·d times, and efficiency unchanged. Catalogue performance is
// measured in air of kCatalogueDensity unless the catalogue says otherwise.
#pragma once

namespace fanperf {

// J/(kg·K), dry air.
inline constexpr double kDryAirGasConstant = 287.05;
// Standard air of fan catalogues: 20 °C, 101325 Pa, 50 % humidity, 1.2 kg/m³ (the
// humidity makes it lighter than dry air, 1.204 kg/m³ by dryAirDensity). What a duty is
// taken in unless the user gives the air.
inline constexpr double kStandardAirCelsius = 20;       // °C
inline constexpr double kStandardAirPressure = 101325;  // Pa
inline constexpr double kCatalogueDensity = 1.2;        // kg/m³
inline constexpr double kZeroCelsius = 273.15;          // K

struct FanLawRatio {
  double speed = 1;    // new speed / catalogue speed
  double density = 1;  // new density / catalogue density

  double flow() const { return speed; }
  double pressure() const { return speed * speed * density; }
  double power() const { return speed * speed * speed * density; }
};

// kg/m³ of dry air at the temperature (°C) and absolute pressure (Pa), as an
// ideal gas: p / (R·T). Throws std::invalid_argument for a temperature at or
// below absolute zero, a pressure that is not positive, or a value that is
// not a finite number.
double dryAirDensity(double celsius, double pascals);

}  // namespace fanperf
