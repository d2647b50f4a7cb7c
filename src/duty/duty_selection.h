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
//
// A set of identical fans (DutyConditions::fans above 1) is selected as one
// machine on its combined curve (fanperf/fan_set.h): the candidate's point is
// the set's, its efficiency each fan's, its shaft power the set's; a set
// whose fans run left of their peak counts as unstable.
//
// Each candidate is also assessed (assessCandidate): FEI, ecodesign grade and
// SFP class from its electrical input, and its sound power. The assessment
// never changes the ranking; what cannot be computed says why. The sound
// power is the catalogue's where its series has sound columns: a curve's
// levels at each fan's operating flow, linear in flow between the two rows
// around it and the nearest row's beyond its rows; a box's own row's. Moved
// to the actual air by fanperf::scaledSound (the fan runs at the catalogue's
// speed). Without them it is estimated from flow and pressure.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "duty/duty_catalogue.h"
#include "fanperf/compliance.h"
#include "fanperf/fan_curve.h"
#include "fanperf/fan_laws.h"
#include "fanperf/fan_set.h"
#include "fanperf/fan_sound.h"
#include "fanperf/operating_point.h"
#include "fanperf/site_air.h"

namespace duty {

// The operating flow may exceed the duty flow by at most this fraction.
inline constexpr double kMaxOversize = 0.20;

struct DutyConditions {
  double flow = 0;      // m³/h
  double pressure = 0;  // Pa, total, as the system needs it in the actual air
  double temperature = fanperf::kStandardAirCelsius;   // °C
  double atmPressure = fanperf::kStandardAirPressure;  // Pa
  // The site's altitude, m: when given, the atmospheric pressure is the
  // standard atmosphere's there and atmPressure is ignored.
  std::optional<double> altitude = {};
  std::optional<double> relativeHumidity = {};  // 0 to 1; none: dry air
  int fans = 1;                                 // identical fans in the set, 1 to 4
  fanperf::Arrangement arrangement = fanperf::Arrangement::Parallel;
  std::optional<double> motorEfficiency = {};  // 0 to 1; none: the IE3 minimum
};

// A motor larger than the shaft power by more than this fraction is flagged:
// a selection error or a catalogue row typed wrong, rather than a margin.
inline constexpr double kAbsurdMotorMargin = 2.0;

// The compliance and sound of a candidate at its operating point. Each fan of
// a set is judged alone (FEI and ecodesign are a fan's properties); the SFP
// and the sound power are the set's.
struct Assessment {
  std::optional<fanperf::Compliance> compliance;  // per fan
  std::optional<double> specificFanPower;         // W/(m³/s), the set's
  std::optional<int> sfpClass;
  std::wstring complianceProblem;              // why there is no compliance; empty when there is
  std::optional<fanperf::SoundAtPoint> sound;  // the set's
  std::wstring soundProblem;
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
  // A set's: each fan's operating point, and whether the set is parallel with
  // its fans left of their peak (uneven sharing, hunting).
  fanperf::OperatingPoint eachFan;
  bool unstableSharing = false;
  // Each fan's sound power from the catalogue at its point, in the
  // catalogue's air; none where the series has no sound columns.
  std::optional<double> catalogueLwa;                   // dB(A)
  std::optional<fanperf::OctaveLevels> catalogueBands;  // dB
  Assessment assessment;
};

struct DutySelection {
  DutyConditions duty;
  double density = 0;                 // kg/m³ of the actual air
  fanperf::AirAtSite air;             // where the density comes from
  double catalogueDensity = 0;        // kg/m³ of the catalogue's data
  std::vector<Candidate> candidates;  // ranked
  int modelsWithoutRows = 0;          // models whose rows make no curve or box
};

// Throws std::invalid_argument for a duty point without positive flow and
// pressure, or air that cannot be (see fanperf::dryAirDensity).
DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty);
// The same among the models of these indices into catalogue.models only (a
// schedule's fan, one model at a time).
DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty,
                            const std::vector<std::size_t>& models);

// The compliance and sound of candidate c of model m at the selection's air.
Assessment assessCandidate(const CatalogueModel& m, const Candidate& c, const DutySelection& s);

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
