// Drive and motor losses between the fan's shaft and the mains.
#include "fanperf/electrical_input.h"

#include <cmath>
#include <cstdio>

namespace fanperf {

namespace {

// IE3 (premium efficiency) minimum efficiencies, 4-pole, 50 Hz, from the
// table "Minimum efficiencies according to IEC 60034-30:2008" in Siemens'
// catalogue note "General information regarding efficiency in accordance with
// International Efficiency" (scribd.com/document/415167935/siemens). IEC
// 60034-30-1:2014 replaced that edition, adding IE4, 8-pole motors and a wider
// range. Only the ratings read from that text are here: 0.75 to 7.5 kW.
struct Ie3Row {
  double rating;      // kW
  double efficiency;  // %
};
constexpr Ie3Row kIe3FourPole50Hz[] = {{0.75, 82.5}, {1.1, 84.1}, {1.5, 85.3}, {2.2, 86.7},
                                       {3, 87.7},    {4, 88.6},   {5.5, 89.6}, {7.5, 90.4}};

// AMCA 207's V-belt drive: η = 0.96·(H / (H + 1.64))^0.05, H in kW, as the
// EnergyPlus design note "Fan Energy Index" (NREL/EnergyPlus,
// design/FY2018/Fan Energy Index.md, equation 4) reproduces it from ANSI/AMCA
// 207-17 for the SI units.
constexpr double kVBeltPeak = 0.96;
constexpr double kVBeltKnee = 1.64;  // kW
constexpr double kVBeltExponent = 0.05;

// The IE3 motor curve fit of AMCA 208-18 as the EnergyPlus design note "Fan
// Energy Index" (NREL/EnergyPlus, design/FY2018/Fan Energy Index.md, table 1)
// reproduces it: η = A·x⁴ + B·x³ + C·x² + D·x + E, x = log10(output in kW),
// below 185 kW, and 0.962 at or above it.
constexpr double kLargeMotor = 185;  // kW
constexpr double kLargeMotorEfficiency = 0.962;
constexpr double kIe3Fit[] = {-0.003812, 0.025834, -0.072577, 0.125559, 0.850274};

std::string percent(double fraction) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f %%", 100 * fraction);
  return buf;
}

std::string kilowatts(double kw) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g kW", kw);
  return buf;
}

double checkedEfficiency(double eta, const char* what) {
  if (!std::isfinite(eta) || eta <= 0 || eta > 1) {
    throw std::invalid_argument(std::string(what) + " must lie in (0, 1]");
  }
  return eta;
}

}  // namespace

std::optional<double> ie3Efficiency(double ratedPower) {
  for (const Ie3Row& row : kIe3FourPole50Hz) {
    if (row.rating == ratedPower) return row.efficiency / 100;
  }
  return std::nullopt;
}

std::optional<double> ie3RatingFor(double load) {
  for (const Ie3Row& row : kIe3FourPole50Hz) {
    if (row.rating >= load) return row.rating;
  }
  return std::nullopt;
}

double ie3CurveFit(double output) {
  if (output >= kLargeMotor) return kLargeMotorEfficiency;
  const double x = std::log10(output);
  double eta = 0;
  for (double coefficient : kIe3Fit) eta = eta * x + coefficient;
  return eta;
}

double vBeltEfficiency(double power) {
  return kVBeltPeak * std::pow(power / (power + kVBeltKnee), kVBeltExponent);
}

ElectricalInput electricalInput(double shaftPower, const DriveTrain& train) {
  if (!std::isfinite(shaftPower) || shaftPower <= 0) {
    throw std::invalid_argument("the shaft power must be positive");
  }
  ElectricalInput in;
  in.shaftPower = shaftPower;
  if (train.drive == Drive::Direct) {
    in.assumptions.push_back("direct drive: no transmission loss");
  } else if (train.beltEfficiency) {
    in.driveEfficiency = checkedEfficiency(*train.beltEfficiency, "the belt's efficiency");
    in.assumptions.push_back("belt drive: stated efficiency " + percent(in.driveEfficiency));
  } else {
    in.driveEfficiency = vBeltEfficiency(shaftPower);
    in.assumptions.push_back("belt drive: AMCA 207 V-belt efficiency " +
                             percent(in.driveEfficiency));
  }
  in.motorOutput = shaftPower / in.driveEfficiency;
  if (train.motorEfficiency) {
    in.motorEfficiency = checkedEfficiency(*train.motorEfficiency, "the motor's efficiency");
    in.assumptions.push_back("motor: stated efficiency " + percent(in.motorEfficiency));
  } else {
    // Below the table's smallest rating the motor is not 0.75 kW but smaller,
    // and less efficient: taking 0.75 kW's figure would flatter it.
    if (in.motorOutput < kIe3FourPole50Hz[0].rating) {
      throw UnknownMotorEfficiency("no verified IE3 efficiency for a motor carrying " +
                                   kilowatts(in.motorOutput) +
                                   " (the table starts at 0.75 kW): give the motor's efficiency");
    }
    const auto rating = ie3RatingFor(in.motorOutput);
    if (!rating) {
      in.motorEfficiency = ie3CurveFit(in.motorOutput);
      in.assumptions.push_back("motor: IE3 efficiency by AMCA 208's curve fit at " +
                               kilowatts(in.motorOutput) + ", " + percent(in.motorEfficiency));
      in.power = in.motorOutput / in.motorEfficiency;
      return in;
    }
    in.motorRating = rating;
    in.motorEfficiency = *ie3Efficiency(*rating);
    in.assumptions.push_back("motor: IE3 minimum of a " + kilowatts(*rating) +
                             " 4-pole 50 Hz motor (IEC 60034-30), " + percent(in.motorEfficiency) +
                             " at full load");
  }
  in.power = in.motorOutput / in.motorEfficiency;
  return in;
}

}  // namespace fanperf
