// The electrical input of a fan from its shaft power: drive losses, then the motor's.
//
// A direct drive loses nothing. A belt drive loses what the caller states, or
// else what AMCA 207's V-belt formula gives for the power it carries. The
// motor's efficiency is the caller's, or else the IE3 minimum of the smallest
// 4-pole 50 Hz rating that carries the load, taken at full load (a motor at
// part load is less efficient; that is not modelled); above the table's
// ratings, AMCA 208's curve fit of IE3 efficiency at the load. Every choice made is in
// the result, in words a schedule can print.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fanperf {

enum class Drive { Direct, Belt };

struct DriveTrain {
  Drive drive = Drive::Direct;
  std::optional<double> beltEfficiency;   // 0 to 1; a belt drive's stated loss is 1 minus it
  std::optional<double> motorEfficiency;  // 0 to 1, the motor's own at this load
};

struct ElectricalInput {
  double shaftPower = 0;              // kW
  double driveEfficiency = 1;         // 0 to 1
  double motorOutput = 0;             // kW, the shaft power plus the drive's loss
  std::optional<double> motorRating;  // kW, when the efficiency is the IE3 table's
  double motorEfficiency = 1;         // 0 to 1
  double power = 0;                   // kW, electrical input
  std::vector<std::string> assumptions;
};

// A motor's efficiency that the tables here do not hold and the caller did not
// give.
class UnknownMotorEfficiency : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The IE3 minimum efficiency (0 to 1) of a 4-pole 50 Hz motor of exactly this
// rating (kW); nothing for a rating the table does not hold.
std::optional<double> ie3Efficiency(double ratedPower);
// The smallest rating of the IE3 table at or above `load` kW; nothing above the table.
std::optional<double> ie3RatingFor(double load);

// Throws std::invalid_argument for a shaft power that is not positive or an
// efficiency outside (0, 1]; UnknownMotorEfficiency when the motor's load lies
// below the IE3 table and no efficiency was given.
ElectricalInput electricalInput(double shaftPower, const DriveTrain& train);

// The IE3 efficiency (0 to 1) that AMCA 208 takes for a motor of `output` kW:
// its curve fit below 185 kW, 0.962 at and above it.
double ie3CurveFit(double output);

// AMCA 207's V-belt efficiency for a belt carrying `power` kW.
double vBeltEfficiency(double power);

}  // namespace fanperf
