// Fan Energy Index, ecodesign grade and SFP class at one operating point.
#include "fanperf/compliance.h"

#include <cmath>
#include <iterator>
#include <stdexcept>

#include "fanperf/fan_laws.h"

namespace fanperf {

namespace {

// ANSI/AMCA 208-18, SI units, as the EnergyPlus design note "Fan Energy Index"
// (NREL/EnergyPlus, design/FY2018/Fan Energy Index.md, equations 1 to 7 and
// table 1) reproduces it: H_ref = (Q + Q0)(P_t + P0·ρ/ρ_std) / (1000·η0) with
// Q0 = 0.118 m³/s, P0 = 100 Pa, ρ_std = 1.2 kg/m³, η0 = 0.66; a V-belt
// transmission (AMCA 207); an IE3 motor's curve fit at H_ref / η_trans
// (ie3CurveFit, electrical_input.h); a constant-speed controller, efficiency 1.
constexpr double kFeiFlow = 0.118;    // m³/s
constexpr double kFeiPressure = 100;  // Pa
constexpr double kFeiDensity = 1.2;   // kg/m³
constexpr double kFeiEfficiency = 0.66;

// Regulation (EU) No 327/2011, Annex I, tables 1 and 2, read from the
// reproduction of that table in "ErP-Berechnung" (dtsheet.com/doc/1621399/
// erp-berechnung-de-1): measurement categories A and C are static efficiency,
// B and D total; the grade N of the second tier (from 1 January 2015).
// The regulation was repealed by (EU) 2024/1834 (amended by (EU) 2025/2481),
// whose figures could not be read: this edition stays named in every result.
const EcodesignEdition kEdition327 = {
    "Regulation (EU) No 327/2011, Annex I, tier 2 (from 1 January 2015); repealed by (EU) "
    "2024/1834",
    0.125,
    10,
    500,
    {
        {FanCategory::CentrifugalBackwardCurvedWithoutHousing, EfficiencyBasis::Static, 4.56, -10.5,
         1.1, -2.6, 62},
        {FanCategory::CentrifugalBackwardCurvedWithHousing, EfficiencyBasis::Static, 4.56, -10.5,
         1.1, -2.6, 61},
        {FanCategory::CentrifugalBackwardCurvedWithHousing, EfficiencyBasis::Total, 4.56, -10.5,
         1.1, -2.6, 64},
        // The forward-curved and the radial-bladed fan share one row.
        {FanCategory::CentrifugalForwardCurved, EfficiencyBasis::Static, 2.74, -6.33, 0.78, -1.88,
         44},
        {FanCategory::CentrifugalForwardCurved, EfficiencyBasis::Total, 2.74, -6.33, 0.78, -1.88,
         49},
        {FanCategory::CentrifugalRadialBladed, EfficiencyBasis::Static, 2.74, -6.33, 0.78, -1.88,
         44},
        {FanCategory::CentrifugalRadialBladed, EfficiencyBasis::Total, 2.74, -6.33, 0.78, -1.88,
         49},
    },
};

// EN 16798-3:2017's SFP categories, upper bounds in W/(m³/s), as the building-
// services glossary cci-dialog.de/lexikon_spezifische_ventilatorleistung lists
// them (its "500 - 700" for SFP 2 is a misprint: SFP 3 starts at 750, and
// de.wikipedia.org/wiki/Spezifische_Ventilatorleistung, after EN 13779, has
// 500-750). The sources give ranges, not which class owns a bound; here a
// bound belongs to the lower class.
constexpr double kSfpUpperBounds[] = {300, 500, 750, 1250, 2000, 3000, 4500};

void requirePositive(double v, const char* what) {
  if (!std::isfinite(v) || v <= 0)
    throw std::invalid_argument(std::string(what) + " must be positive");
}

}  // namespace

FanEnergyIndex fanEnergyIndex(double flow, double totalPressure, double density,
                              double electricalPower) {
  requirePositive(flow, "the flow");
  requirePositive(totalPressure, "the total pressure");
  requirePositive(density, "the density");
  requirePositive(electricalPower, "the electrical input");
  FanEnergyIndex f;
  f.referenceShaftPower = (flow + kFeiFlow) *
                          (totalPressure + kFeiPressure * density / kFeiDensity) /
                          (1000 * kFeiEfficiency);
  f.referenceTransmission = vBeltEfficiency(f.referenceShaftPower);
  const double motorOutput = f.referenceShaftPower / f.referenceTransmission;
  f.referenceMotor = ie3CurveFit(motorOutput);
  f.referenceElectricalPower = motorOutput / f.referenceMotor;
  f.actualElectricalPower = electricalPower;
  f.index = f.referenceElectricalPower / electricalPower;
  f.passes = f.index >= 1.0;
  return f;
}

const EcodesignEdition& ecodesign327Of2011() { return kEdition327; }

std::optional<EcodesignGrade> ecodesignGrade(const EcodesignEdition& edition, FanCategory category,
                                             EfficiencyBasis basis, double efficiency,
                                             double electricalPower) {
  if (!(electricalPower >= edition.lowestPower && electricalPower <= edition.highestPower)) {
    return std::nullopt;
  }
  for (const EcodesignRule& r : edition.rules) {
    if (r.category != category || r.basis != basis) continue;
    const double lnP = std::log(electricalPower);
    const double base = electricalPower <= edition.bandLimit ? r.a * lnP + r.b : r.c * lnP + r.d;
    EcodesignGrade g;
    g.edition = edition.name;
    g.efficiency = efficiency;
    g.requiredGrade = r.grade;
    g.targetEfficiency = base + r.grade;
    g.achievedGrade = efficiency - base;
    g.passes = efficiency >= g.targetEfficiency;
    return g;
  }
  return std::nullopt;
}

int sfpClass(double specificFanPower) {
  int cls = 0;
  while (cls < static_cast<int>(std::size(kSfpUpperBounds)) &&
         specificFanPower > kSfpUpperBounds[cls]) {
    ++cls;
  }
  return cls;
}

Compliance complianceAt(const ComplianceQuery& query) {
  const DutyPoint& p = query.point;
  Compliance c;
  c.electrical = electricalInput(p.shaftPower, query.drive);
  c.assumptions = c.electrical.assumptions;
  const double flow = p.flow / 3600;  // m³/s
  c.fei = fanEnergyIndex(flow, p.totalPressure, p.density, c.electrical.power);
  c.assumptions.push_back(
      "FEI: AMCA 208, total-pressure basis, reference fan with V-belt, "
      "IE3 motor curve fit and no speed control");
  c.specificFanPower = 1000 * c.electrical.power / flow;
  c.sfp = sfpClass(c.specificFanPower);
  c.assumptions.push_back(
      "SFP: EN 16798-3 classes; a value on a class bound is given the lower "
      "class");

  const EcodesignEdition& edition = query.edition ? *query.edition : ecodesign327Of2011();
  const std::optional<double> pressure = query.basis == EfficiencyBasis::Total
                                             ? std::optional<double>(p.totalPressure)
                                             : p.staticPressure;
  if (!pressure) {
    c.assumptions.push_back("ecodesign: no static pressure given, so no static efficiency");
    return c;
  }
  // The regulation's overall efficiency: air power over electrical input, both W.
  const double efficiency = 100 * flow * *pressure / (1000 * c.electrical.power);
  c.ecodesign =
      ecodesignGrade(edition, query.category, query.basis, efficiency, c.electrical.power);
  c.assumptions.push_back(c.ecodesign ? "ecodesign: " + edition.name +
                                            "; judged at this operating point, while the "
                                            "regulation judges the best-efficiency point"
                                      : "ecodesign: " + edition.name +
                                            " has no rule for this category, basis and power");
  return c;
}

}  // namespace fanperf
