// Compliance of a fan at an operating point: AMCA 208's Fan Energy Index, the
// European ecodesign efficiency grade, and the specific fan power's class.
//
// All three judge the electrical input (electrical_input.h), so complianceAt
// works it out once and hands every assumption on in the result. The ecodesign
// rule is data, an EcodesignEdition, so that a newer regulation's table
// replaces the one built in without touching the arithmetic.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fanperf/electrical_input.h"

namespace fanperf {

// AMCA 208, total-pressure basis.
struct FanEnergyIndex {
  double referenceShaftPower = 0;       // kW
  double referenceTransmission = 0;     // 0 to 1, V-belt
  double referenceMotor = 0;            // 0 to 1
  double referenceElectricalPower = 0;  // kW
  double actualElectricalPower = 0;     // kW
  double index = 0;                     // reference / actual
  bool passes = false;                  // index ≥ 1.00
};

// flow m³/s, fan total pressure Pa, density kg/m³, actual electrical input kW.
// Throws std::invalid_argument for values that are not positive.
FanEnergyIndex fanEnergyIndex(double flow, double totalPressure, double density,
                              double electricalPower);

enum class FanCategory {
  CentrifugalBackwardCurvedWithoutHousing,
  CentrifugalBackwardCurvedWithHousing,
  CentrifugalForwardCurved,
  CentrifugalRadialBladed,
};
enum class EfficiencyBasis { Static, Total };

// η_target = a·ln(P) + b + N up to bandLimit kW of electrical input, c·ln(P) +
// d + N above it (η in %, P in kW).
struct EcodesignRule {
  FanCategory category;
  EfficiencyBasis basis;
  double a, b, c, d;
  double grade;  // N
};

struct EcodesignEdition {
  std::string name;
  double lowestPower = 0;  // kW, the regulation's scope
  double bandLimit = 0;
  double highestPower = 0;
  std::vector<EcodesignRule> rules;
};

// Regulation (EU) No 327/2011, Annex I, the tier from 1 January 2015.
const EcodesignEdition& ecodesign327Of2011();

struct EcodesignGrade {
  std::string edition;
  double efficiency = 0;        // %, air power over electrical input
  double targetEfficiency = 0;  // %
  double requiredGrade = 0;     // N of the category
  double achievedGrade = 0;     // the N at which the target equals the efficiency
  bool passes = false;
};

// Nothing when the edition has no rule for the category and basis, or the
// power lies outside its scope.
std::optional<EcodesignGrade> ecodesignGrade(const EcodesignEdition& edition, FanCategory category,
                                             EfficiencyBasis basis, double efficiency,
                                             double electricalPower);

// EN 16798-3's SFP class (0 to 7) of a specific fan power in W/(m³/s).
int sfpClass(double specificFanPower);

struct DutyPoint {
  double flow = 0;                       // m³/h
  double totalPressure = 0;              // Pa
  std::optional<double> staticPressure;  // Pa
  double shaftPower = 0;                 // kW
  double density = 1.2;                  // kg/m³
};

struct ComplianceQuery {
  DutyPoint point;
  DriveTrain drive;
  FanCategory category = FanCategory::CentrifugalBackwardCurvedWithHousing;
  EfficiencyBasis basis = EfficiencyBasis::Total;
  const EcodesignEdition* edition = nullptr;  // the built-in one when null
};

struct Compliance {
  ElectricalInput electrical;
  FanEnergyIndex fei;
  std::optional<EcodesignGrade> ecodesign;
  double specificFanPower = 0;           // W/(m³/s)
  int sfp = 0;                           // class
  std::vector<std::string> assumptions;  // the electrical input's and the rules'
};

// Throws what electricalInput and fanEnergyIndex throw.
Compliance complianceAt(const ComplianceQuery& query);

}  // namespace fanperf
