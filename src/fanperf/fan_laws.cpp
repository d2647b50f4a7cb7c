// Air density of dry air as an ideal gas.
#include "fanperf/fan_laws.h"

#include <cmath>
#include <stdexcept>

namespace fanperf {

double dryAirDensity(double celsius, double pascals) {
  if (!std::isfinite(celsius) || !std::isfinite(pascals)) {
    throw std::invalid_argument("temperature and pressure must be finite numbers");
  }
  const double kelvin = celsius + kZeroCelsius;
  if (kelvin <= 0) throw std::invalid_argument("the temperature is at or below absolute zero");
  if (pascals <= 0) throw std::invalid_argument("the atmospheric pressure must be positive");
  return pascals / (kDryAirGasConstant * kelvin);
}

}  // namespace fanperf
