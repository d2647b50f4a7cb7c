// Operating points of every model at the duty, and their ranking.
#include "duty/duty_selection.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <future>
#include <thread>
#include <tuple>
#include <utility>

#include "base/text_case.h"
#include "fanperf/electrical_input.h"
#include "fanperf/fan_laws.h"
#include "fanperf/site_air.h"

namespace duty {

namespace {

// The duty flow itself counts as reached although the root finder may land a
// little below it.
constexpr double kFlowTolerance = 1e-9;

std::optional<double> numberOfText(const CString& text) {
  const wchar_t* begin = text;
  wchar_t* end = nullptr;
  const double v = std::wcstod(begin, &end);
  if (end == begin) return std::nullopt;
  while (*end && std::iswspace(static_cast<wint_t>(*end))) ++end;
  if (*end || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The motor power of the row whose flow lies nearest the operating flow.
std::optional<double> motorNear(const CatalogueModel& model, double flow) {
  std::optional<double> best;
  double distance = INFINITY;
  for (const PerformanceRow& r : model.rows) {
    if (!r.motorPower || !r.flow) continue;
    const double d = std::abs(*r.flow - flow);
    if (d < distance) {
      distance = d;
      best = r.motorPower;
    }
  }
  return best;
}

// Levels of the rows at a flow: linear in flow between the nearest row below
// and the nearest above, the nearest row's beyond the rows; none when no row
// has a flow and the levels.
template <class Levels>
std::optional<std::vector<double>> levelsAt(const std::vector<PerformanceRow>& rows, double flow,
                                            Levels levels) {
  const PerformanceRow* below = nullptr;
  const PerformanceRow* above = nullptr;
  for (const PerformanceRow& r : rows) {
    if (!r.flow || !levels(r)) continue;
    if (*r.flow <= flow && (!below || *r.flow > *below->flow)) below = &r;
    if (*r.flow >= flow && (!above || *r.flow < *above->flow)) above = &r;
  }
  if (!below || !above) return below ? levels(*below) : above ? levels(*above) : std::nullopt;
  std::vector<double> low = *levels(*below);
  const std::vector<double> high = *levels(*above);
  const double span = *above->flow - *below->flow;
  const double t = span > 0 ? (flow - *below->flow) / span : 0;
  for (std::size_t i = 0; i < low.size(); ++i) low[i] += t * (high[i] - low[i]);
  return low;
}

// The catalogue's sound power of a curve model at each fan's flow.
void fillCatalogueSound(const CatalogueModel& model, Candidate& c) {
  using Levels = std::optional<std::vector<double>>;
  const Levels lwa = levelsAt(model.rows, c.eachFan.flow, [](const PerformanceRow& r) {
    return r.lwa ? Levels(std::vector<double>{*r.lwa}) : std::nullopt;
  });
  if (lwa) c.catalogueLwa = (*lwa)[0];
  const Levels bands = levelsAt(model.rows, c.eachFan.flow, [](const PerformanceRow& r) {
    return r.bands ? Levels(std::vector<double>(r.bands->begin(), r.bands->end())) : std::nullopt;
  });
  if (bands) {
    fanperf::OctaveLevels levels{};
    std::copy(bands->begin(), bands->end(), levels.begin());
    c.catalogueBands = levels;
  }
}

void fillMotor(Candidate& c) {
  if (c.motorPower && c.shaftPower && *c.shaftPower > 0) {
    c.motorMargin = *c.motorPower / *c.shaftPower - 1;
  }
}

std::optional<Candidate> curveCandidate(const CatalogueModel& model, const fanperf::FanCurve& curve,
                                        const fanperf::SystemCurve& system,
                                        const DutyConditions& duty) {
  // A single fan keeps the path it always took: no combined curve to build
  // for each of ten thousand models.
  std::optional<fanperf::FanCurve> combined;
  std::optional<fanperf::SetOperatingPoint> set;
  if (duty.fans > 1) {
    combined = fanperf::combinedCurve(curve, duty.fans, duty.arrangement);
    set = fanperf::setOperatingPoint(curve, duty.fans, duty.arrangement, system);
  }
  const fanperf::FanCurve& machine = combined ? *combined : curve;
  const auto op =
      set ? std::optional<fanperf::OperatingPoint>(set->set) : fanperf::intersect(machine, system);
  if (!op || op->flow < duty.flow * (1 - kFlowTolerance) ||
      op->flow > duty.flow * (1 + kMaxOversize)) {
    return std::nullopt;
  }
  Candidate c;
  c.kind = CandidateKind::Curve;
  c.point = *op;
  c.eachFan = set ? set->eachFan : *op;
  c.unstableSharing = set && set->unstableSharing;
  c.efficiency = machine.efficiencyAt(op->flow);
  c.shaftPower = machine.shaftPowerAt(op->flow);
  c.motorPower = motorNear(model, c.eachFan.flow);
  if (c.motorPower) *c.motorPower *= duty.fans;
  fillMotor(c);
  fillCatalogueSound(model, c);
  c.peak = machine.peak();
  if (c.peak->flow > 0) c.peakDistance = op->flow / c.peak->flow - 1;
  c.unstable = set ? set->leftOfPeak : fanperf::isUnstable(machine, *op);
  const std::optional<double> speed = numberOfText(model.speed);
  if (isBeltDrive(model.driveMode) && speed && *speed > 0) {
    c.exactSpeed = fanperf::speedForDutyFlow(*speed, *op, duty.flow);
  }
  return c;
}

// A box of one fan as the set's: flows (parallel) or pressures (series) times
// the count.
fanperf::DutyBox setBox(fanperf::DutyBox b, const DutyConditions& duty) {
  const double n = duty.fans;
  if (duty.arrangement == fanperf::Arrangement::Parallel) {
    b.flowLow *= n;
    b.flowHigh *= n;
  } else {
    b.pressureLow *= n;
    b.pressureHigh *= n;
  }
  return b;
}

// Of the boxes the system curve passes through, the one whose point is
// nearest the duty; of equally near ones, the more efficient.
std::optional<Candidate> boxCandidate(const std::vector<ModelBox>& boxes,
                                      const fanperf::SystemCurve& system,
                                      const DutyConditions& duty, double densityRatio) {
  std::optional<Candidate> best;
  for (const ModelBox& b : boxes) {
    const auto op = fanperf::systemCurveInBox(duty.fans > 1 ? setBox(b.box, duty) : b.box, system,
                                              duty.flow, duty.flow * (1 + kMaxOversize));
    if (!op) continue;
    const PerformanceRow& r = *b.row;
    if (best && (op->flow > best->point.flow ||
                 (op->flow == best->point.flow &&
                  r.efficiency.value_or(-1) <= best->efficiency.value_or(-1)))) {
      continue;
    }
    Candidate c;
    c.kind = CandidateKind::Box;
    c.point = *op;
    c.eachFan = duty.arrangement == fanperf::Arrangement::Parallel
                    ? fanperf::OperatingPoint{op->flow / duty.fans, op->pressure}
                    : fanperf::OperatingPoint{op->flow, op->pressure / duty.fans};
    c.efficiency = r.efficiency;
    if (r.shaftPower) c.shaftPower = *r.shaftPower * densityRatio * duty.fans;
    if (r.motorPower) c.motorPower = *r.motorPower * duty.fans;
    fillMotor(c);
    c.catalogueLwa = r.lwa;
    c.catalogueBands = r.bands;
    best = c;
  }
  return best;
}

// A range row's box in the catalogue's air, when it has all four bounds in order.
std::optional<fanperf::DutyBox> rowBox(const PerformanceRow& r) {
  if (!r.flowLow || !r.flowHigh || !r.pressureLow || !r.pressureHigh) return std::nullopt;
  const fanperf::DutyBox box{*r.flowLow, *r.flowHigh, *r.pressureLow, *r.pressureHigh};
  if (box.flowLow < 0 || box.pressureLow < 0 || box.flowLow > box.flowHigh ||
      box.pressureLow > box.pressureHigh) {
    return std::nullopt;
  }
  return box;
}

}  // namespace

bool isBeltDrive(const CString& driveMode) {
  const std::wstring& d = driveMode.str();
  if (d.size() == 1) {
    const char32_t c = zrbase::upperCase(static_cast<char32_t>(d[0]));
    if (c == L'B' || c == L'C' || c == L'E') return true;
  }
  return d.find(L"皮带") != std::wstring::npos || d.find(L"带传动") != std::wstring::npos;
}

std::optional<fanperf::FanCurve> modelCurve(const CatalogueModel& model, double densityRatio) {
  std::vector<fanperf::CurvePoint> points;
  for (const PerformanceRow& r : model.rows) {
    if (r.flow && r.pressure) points.push_back({*r.flow, *r.pressure, r.efficiency, r.shaftPower});
  }
  try {
    return fanperf::FanCurve(std::move(points)).scaled(1, densityRatio);
  } catch (const fanperf::CurveError&) {
    return std::nullopt;
  }
}

std::vector<ModelBox> modelBoxes(const CatalogueModel& model, double densityRatio) {
  std::vector<ModelBox> boxes;
  for (const PerformanceRow& r : model.rows) {
    if (const std::optional<fanperf::DutyBox> box = rowBox(r))
      boxes.push_back({box->scaled(1, densityRatio), &r});
  }
  return boxes;
}

Assessment assessCandidate(const CatalogueModel& m, const Candidate& c, const DutySelection& s) {
  Assessment a;
  const int fans = s.duty.fans;
  // Each fan's level is the catalogue's, at the catalogue's speed on whose
  // curve the fan runs, or else the estimate, from each fan's total
  // pressure, as its static pressure is not known (the estimate is then a
  // little high). Identical fans add 10·lg n.
  try {
    constexpr double kCatalogueSpeed = 1;  // the speed ratio is one
    fanperf::SoundAtPoint sound =
        c.catalogueLwa || c.catalogueBands
            ? fanperf::scaledSound(
                  {c.catalogueBands, c.catalogueLwa, kCatalogueSpeed, s.catalogueDensity},
                  kCatalogueSpeed, s.density)
            : fanperf::estimatedSound(c.eachFan.flow, c.eachFan.pressure,
                                      fanperf::BladeShape::BackwardCurved);
    const double more = 10 * std::log10(static_cast<double>(fans));
    sound.lwa += more;
    if (sound.bands) {
      for (double& b : *sound.bands) b += more;
    }
    a.sound = sound;
  } catch (const std::invalid_argument& e) {
    a.soundProblem = L"无声功率: " + CString::FromUtf8(e.what()).str();
  }
  if (!c.shaftPower || *c.shaftPower <= 0) {
    a.complianceProblem = L"无轴功率, 不能计算 FEI、能效等级和 SFP";
    return a;
  }
  fanperf::ComplianceQuery q;
  q.point.flow = c.eachFan.flow;
  q.point.totalPressure = c.eachFan.pressure;
  q.point.shaftPower = *c.shaftPower / fans;
  q.point.density = s.density;
  q.drive.drive = isBeltDrive(m.driveMode) ? fanperf::Drive::Belt : fanperf::Drive::Direct;
  q.drive.motorEfficiency = s.duty.motorEfficiency;
  try {
    a.compliance = fanperf::complianceAt(q);
  } catch (const std::exception& e) {
    // UnknownMotorEfficiency (a load outside the IE3 table) or a point the
    // rules refuse: the values stay empty with the reason beside them.
    a.complianceProblem = L"FEI、能效等级和 SFP 未计算: " + CString::FromUtf8(e.what()).str();
    return a;
  }
  a.specificFanPower = 1000 * fans * a.compliance->electrical.power / (c.point.flow / 3600);
  a.sfpClass = fanperf::sfpClass(*a.specificFanPower);
  return a;
}

void rankCandidates(std::vector<Candidate>& candidates) {
  auto key = [](const Candidate& c) {
    const int group = c.unstable ? 2 : c.efficiency ? 0 : 1;
    return std::make_tuple(group, !c.efficiency, -c.efficiency.value_or(0), !c.shaftPower,
                           c.shaftPower.value_or(0), c.point.flow, c.model);
  };
  std::sort(candidates.begin(), candidates.end(),
            [&key](const Candidate& a, const Candidate& b) { return key(a) < key(b); });
}

namespace {

// The selection's air and duty, before any model is looked at.
DutySelection startSelection(const DutyCatalogue& catalogue, const DutyConditions& duty) {
  DutySelection s;
  s.duty = duty;
  fanperf::SiteAir site;
  site.celsius = duty.temperature;
  if (duty.altitude) {
    site.altitude = duty.altitude;
  } else {
    site.pressure = duty.atmPressure;
  }
  site.relativeHumidity = duty.relativeHumidity;
  s.air = fanperf::siteAir(site);
  s.density = s.air.density;
  if (duty.fans < 1 || duty.fans > fanperf::kMaxFansInSet) {
    throw std::invalid_argument("a set holds 1 to 4 fans");
  }
  s.catalogueDensity = catalogue.density;
  return s;
}

// The flows a point model's curve spans, when its rows certainly make a curve
// at the density ratio without building one: at least two points, their flows
// rising in table order from zero or more, every value finite scaled as well.
// Otherwise none, and only building the curve tells.
std::optional<std::pair<double, double>> plainFlowSpan(const CatalogueModel& model,
                                                       double densityRatio) {
  auto finite = [densityRatio](const std::optional<double>& v, bool scaled) {
    return !v || (std::isfinite(*v) && (!scaled || std::isfinite(*v * densityRatio)));
  };
  std::optional<std::pair<double, double>> span;
  int points = 0;
  for (const PerformanceRow& r : model.rows) {
    if (!r.flow || !r.pressure) continue;
    const double q = *r.flow;
    if (!finite(r.flow, false) || !finite(r.pressure, true) || !finite(r.efficiency, false) ||
        !finite(r.shaftPower, true)) {
      return std::nullopt;
    }
    if (span ? !(q > span->second) : q < 0) return std::nullopt;
    if (!span) span.emplace(q, q);
    span->second = q;
    ++points;
  }
  if (points < 2) return std::nullopt;
  return span;
}

// Whether a range model has boxes, and whether any of them spans flows a
// single fan's operating point may take (boxCandidate's, widened far beyond
// the rounding its box test allows): the point lies in a box, at the same
// flows in any air.
enum class BoxReach { NoBox, Outside, Maybe };
BoxReach boxReach(const CatalogueModel& model, const DutyConditions& duty) {
  constexpr double kMargin = 1e-6;
  bool any = false;
  for (const PerformanceRow& r : model.rows) {
    const std::optional<fanperf::DutyBox> box = rowBox(r);
    if (!box) continue;
    any = true;
    if (box->flowLow <= duty.flow * (1 + kMaxOversize) * (1 + kMargin) &&
        box->flowHigh * (1 + kMargin) >= duty.flow) {
      return BoxReach::Maybe;
    }
  }
  return any ? BoxReach::Outside : BoxReach::NoBox;
}

// Whether a single fan's curve spanning these flows cannot meet the system
// curve within the flows curveCandidate takes: its operating point lies on the
// curve, so within its flows (the bounds are curveCandidate's own). Ten
// thousand curves need not be built when a few hundred span the duty's flows.
bool outsideDutyFlows(const std::pair<double, double>& span, const DutyConditions& duty) {
  return span.second < duty.flow * (1 - kFlowTolerance) ||
         span.first > duty.flow * (1 + kMaxOversize);
}

// Model i's candidate, if it reaches the duty, added to the selection.
void considerModel(const DutyCatalogue& catalogue, std::size_t i,
                   const fanperf::SystemCurve& system, DutySelection& s) {
  const double ratio = s.density / catalogue.density;
  const CatalogueModel& model = catalogue.models[i];
  const CatalogueSeries& series = catalogue.series[model.series];
  if (!series.kind || !series.problem.IsEmpty()) return;
  std::optional<Candidate> c;
  if (*series.kind == RowKind::Points) {
    if (s.duty.fans == 1) {
      const auto span = plainFlowSpan(model, ratio);
      if (span && outsideDutyFlows(*span, s.duty)) return;
    }
    const std::optional<fanperf::FanCurve> curve = modelCurve(model, ratio);
    if (!curve) {
      ++s.modelsWithoutRows;
      return;
    }
    c = curveCandidate(model, *curve, system, s.duty);
  } else {
    if (s.duty.fans == 1) {
      const BoxReach reach = boxReach(model, s.duty);
      if (reach == BoxReach::NoBox) ++s.modelsWithoutRows;
      if (reach != BoxReach::Maybe) return;
    }
    const std::vector<ModelBox> boxes = modelBoxes(model, ratio);
    if (boxes.empty()) {
      ++s.modelsWithoutRows;
      return;
    }
    c = boxCandidate(boxes, system, s.duty, ratio);
  }
  if (!c) return;
  c->model = i;
  s.candidates.push_back(*c);
}

void finishSelection(const DutyCatalogue& catalogue, DutySelection& s) {
  for (Candidate& c : s.candidates) c.assessment = assessCandidate(catalogue.models[c.model], c, s);
  rankCandidates(s.candidates);
}

}  // namespace

DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty) {
  const fanperf::SystemCurve system = fanperf::SystemCurve::throughPoint(duty.flow, duty.pressure);
  DutySelection s = startSelection(catalogue, duty);
  // A large catalogue's second half is looked at on a second thread, into a
  // selection of its own that follows the first half's: the candidates come
  // out in model order as from one thread. Walking ten thousand models' rows
  // is most of FANDUTY's time; a smaller catalogue is not worth a thread.
  constexpr std::size_t kModelsForTwoThreads = 2000;
  const std::size_t n = catalogue.models.size();
  const std::size_t half =
      n >= kModelsForTwoThreads && std::thread::hardware_concurrency() > 1 ? n / 2 : n;
  std::future<DutySelection> second;
  if (half < n) {
    second = std::async(std::launch::async, [&catalogue, &system, t = s, half, n]() mutable {
      for (std::size_t i = half; i < n; ++i) considerModel(catalogue, i, system, t);
      return t;
    });
  }
  for (std::size_t i = 0; i < half; ++i) considerModel(catalogue, i, system, s);
  if (second.valid()) {
    DutySelection t = second.get();
    s.candidates.insert(s.candidates.end(), t.candidates.begin(), t.candidates.end());
    s.modelsWithoutRows += t.modelsWithoutRows;
  }
  finishSelection(catalogue, s);
  return s;
}

DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty,
                            const std::vector<std::size_t>& models) {
  const fanperf::SystemCurve system = fanperf::SystemCurve::throughPoint(duty.flow, duty.pressure);
  DutySelection s = startSelection(catalogue, duty);
  for (const std::size_t i : models) {
    if (i < catalogue.models.size()) considerModel(catalogue, i, system, s);
  }
  finishSelection(catalogue, s);
  return s;
}

}  // namespace duty
