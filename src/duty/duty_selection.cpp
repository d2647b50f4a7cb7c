// Operating points of every model at the duty, and their ranking.
#include "duty/duty_selection.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <tuple>

#include "base/text_case.h"
#include "fanperf/fan_laws.h"

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

void fillMotor(Candidate& c) {
  if (c.motorPower && c.shaftPower && *c.shaftPower > 0) {
    c.motorMargin = *c.motorPower / *c.shaftPower - 1;
  }
}

std::optional<Candidate> curveCandidate(const CatalogueModel& model, const fanperf::FanCurve& curve,
                                        const fanperf::SystemCurve& system,
                                        const DutyConditions& duty) {
  const auto op = fanperf::intersect(curve, system);
  if (!op || op->flow < duty.flow * (1 - kFlowTolerance) ||
      op->flow > duty.flow * (1 + kMaxOversize)) {
    return std::nullopt;
  }
  Candidate c;
  c.kind = CandidateKind::Curve;
  c.point = *op;
  c.efficiency = curve.efficiencyAt(op->flow);
  c.shaftPower = curve.shaftPowerAt(op->flow);
  c.motorPower = motorNear(model, op->flow);
  fillMotor(c);
  c.peak = curve.peak();
  if (c.peak->flow > 0) c.peakDistance = op->flow / c.peak->flow - 1;
  c.unstable = fanperf::isUnstable(curve, *op);
  const std::optional<double> speed = numberOfText(model.speed);
  if (isBeltDrive(model.driveMode) && speed && *speed > 0) {
    c.exactSpeed = fanperf::speedForDutyFlow(*speed, *op, duty.flow);
  }
  return c;
}

// Of the boxes the system curve passes through, the one whose point is
// nearest the duty; of equally near ones, the more efficient.
std::optional<Candidate> boxCandidate(const std::vector<ModelBox>& boxes,
                                      const fanperf::SystemCurve& system,
                                      const DutyConditions& duty, double densityRatio) {
  std::optional<Candidate> best;
  for (const ModelBox& b : boxes) {
    const auto op =
        fanperf::systemCurveInBox(b.box, system, duty.flow, duty.flow * (1 + kMaxOversize));
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
    c.efficiency = r.efficiency;
    if (r.shaftPower) c.shaftPower = *r.shaftPower * densityRatio;
    c.motorPower = r.motorPower;
    fillMotor(c);
    best = c;
  }
  return best;
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
    if (!r.flowLow || !r.flowHigh || !r.pressureLow || !r.pressureHigh) continue;
    const fanperf::DutyBox box{*r.flowLow, *r.flowHigh, *r.pressureLow, *r.pressureHigh};
    if (box.flowLow < 0 || box.pressureLow < 0 || box.flowLow > box.flowHigh ||
        box.pressureLow > box.pressureHigh) {
      continue;
    }
    boxes.push_back({box.scaled(1, densityRatio), &r});
  }
  return boxes;
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

DutySelection selectForDuty(const DutyCatalogue& catalogue, const DutyConditions& duty) {
  DutySelection s;
  s.duty = duty;
  const fanperf::SystemCurve system = fanperf::SystemCurve::throughPoint(duty.flow, duty.pressure);
  s.density = fanperf::dryAirDensity(duty.temperature, duty.atmPressure);
  s.catalogueDensity = catalogue.density;
  const double ratio = s.density / catalogue.density;
  for (std::size_t i = 0; i < catalogue.models.size(); ++i) {
    const CatalogueModel& model = catalogue.models[i];
    const CatalogueSeries& series = catalogue.series[model.series];
    if (!series.kind || !series.problem.IsEmpty()) continue;
    std::optional<Candidate> c;
    if (*series.kind == RowKind::Points) {
      const std::optional<fanperf::FanCurve> curve = modelCurve(model, ratio);
      if (!curve) {
        ++s.modelsWithoutRows;
        continue;
      }
      c = curveCandidate(model, *curve, system, duty);
    } else {
      const std::vector<ModelBox> boxes = modelBoxes(model, ratio);
      if (boxes.empty()) {
        ++s.modelsWithoutRows;
        continue;
      }
      c = boxCandidate(boxes, system, duty, ratio);
    }
    if (!c) continue;
    c->model = i;
    s.candidates.push_back(*c);
  }
  rankCandidates(s.candidates);
  return s;
}

}  // namespace duty
