// DutySelection: the models of the catalogue that reach a duty point in the
// actual air, each at its operating point, ranked as an engineer would.
//
// A model reaches the duty point when, in air of the actual density, its
// curve meets the system curve through the duty point (p = k·Q²) at no less
// than the duty flow and at most kMaxOversize more: below the duty it falls
// short, and far above it the fan is too large for the job (it would be
// throttled, wasting its power). A range-style model reaches it when the
// system curve passes through one of its boxes within the same flows; its
// operating point is the one nearest the duty, and the box's values are its
// efficiency and power.
//
// Ranking: models with efficiency at their operating point first, by
// efficiency, highest first; then those whose series gives no efficiency,
// by shaft power, lowest first; last every point on the unstable side of its
// curve (left of the peak pressure), in the same order among themselves.
// Ties go to the lower shaft power, then the flow nearer the duty, then the
// catalogue's order.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "duty/duty_catalogue.h"
#include "fanperf/fan_curve.h"
#include "fanperf/fan_laws.h"
#include "fanperf/operating_point.h"

namespace duty {

// The operating flow may exceed the duty flow by at most this fraction.
inline constexpr double kMaxOversize = 0.20;

struct DutyConditions {
  double flow = 0;      // m³/h
  double pressure = 0;  // Pa, total, as the system needs it in the actual air
  double temperature = fanperf::kStandardAirCelsius;   // °C
  double atmPressure = fanperf::kStandardAirPressure;  // Pa
};

enum class CandidateKind { Curve, Box };

struct Candidate {
  std::size_t model = 0;  // index into DutyCatalogue::models
  CandidateKind kind = CandidateKind::Curve;
  fanperf::OperatingPoint point;              // at the actual density
  std::optional<double> efficiency;           // %
  std::optional<double> shaftPower;           // kW, at the actual density
  std::optional<double> motorPower;           // kW
  std::optional<double> motorMargin;          // motor power / shaft power - 1
  std::optional<fanperf::PeakPressure> peak;  // curves only, at the actual density
  std::optional<double> peakDistance;         // operating flow / peak flow - 1; < 0 unstable
  bool unstable = false;
  std::optional<double> exactSpeed;  // belt-driven curves: r/min that meets the duty
};

struct DutySelection {
  DutyConditions duty;
  double density = 0;                 // kg/m³ of the actual air
  double catalogueDensity = 0;        // kg/m³ of the catalogue's data
  std::vector<Candidate> candidates;  // ranked
  int modelsWithoutRows = 0;          // models whose rows make no curve or box
};

// Throws std::invalid_argument for a duty point without positive flow and
// pressure, or air that cannot be (see fanperf::dryAirDensity).
DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty);

// The candidates in the order of the file comment.
void rankCandidates(std::vector<Candidate>& candidates);

// The curve of a point-style model at the actual density, as selectForDuty
// used it; none when its rows make no curve.
std::optional<fanperf::FanCurve> modelCurve(const CatalogueModel& model, double densityRatio);
// A range row of a model as a box at the actual density, with the row it
// came from (which the model owns).
struct ModelBox {
  fanperf::DutyBox box;
  const PerformanceRow* row = nullptr;
};
// The boxes of a range-style model, in row order; rows without all four
// bounds, or with a low bound above its high one, give none.
std::vector<ModelBox> modelBoxes(const CatalogueModel& model, double densityRatio);

// Belt drives: the drive modes B, C and E of centrifugal fans, and any whose
// name speaks of a belt (皮带, 带传动). Their speed is set by the pulleys, so
// the listing gives the speed that meets the duty exactly.
bool isBeltDrive(const CString& driveMode);

}  // namespace duty
