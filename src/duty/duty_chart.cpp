// Building the chart of a candidate: sampled curves, measured points, axes.
#include "duty/duty_chart.h"

#include <algorithm>
#include <cmath>

namespace duty {

namespace {

// Points per segment between two measured points: enough for a smooth line
// at any size the chart is shown.
constexpr int kSamplesPerSegment = 12;
// Points of the system curve from zero flow to the axis' end.
constexpr int kSystemSamples = 60;
// Room above the highest value, so no curve runs along the frame.
constexpr double kHeadroom = 1.08;

CString number(double v) {
  CString text;
  text.Format(L"%g", v);
  return text;
}

// A curve drawn through its measured points, sampled between them.
ChartCurve sampled(const std::string& role, const CString& label, ChartAxis axis,
                   const fanperf::FanCurve& fan,
                   std::optional<double> (fanperf::FanCurve::*value)(double) const,
                   std::optional<double> fanperf::CurvePoint::*measured) {
  ChartCurve c{role, label, axis, {}, {}};
  const std::vector<fanperf::CurvePoint>& points = fan.points();
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    for (int k = 0; k <= kSamplesPerSegment; ++k) {
      if (k == kSamplesPerSegment && i + 2 < points.size()) break;  // the next segment starts there
      const double q =
          points[i].flow + (points[i + 1].flow - points[i].flow) * k / kSamplesPerSegment;
      if (const auto v = (fan.*value)(q)) c.line.push_back({q, *v});
    }
  }
  for (const fanperf::CurvePoint& p : points) {
    if (measured) {
      if (p.*measured) c.measured.push_back({p.flow, *(p.*measured)});
    } else {
      c.measured.push_back({p.flow, p.pressure});
    }
  }
  return c;
}

double highest(const ChartCurve& c, double start) {
  for (const ChartPoint& p : c.line) start = std::max(start, p.y);
  for (const ChartPoint& p : c.measured) start = std::max(start, p.y);
  return start;
}

void addCurveOf(DutyChart& chart, const fanperf::FanCurve& fan, double& maxFlow,
                double& maxPressure) {
  ChartCurve pressure = sampled("pressure", L"全压", ChartAxis::Pressure, fan,
                                &fanperf::FanCurve::pressureAt, nullptr);
  maxFlow = std::max(maxFlow, fan.maxFlow());
  maxPressure = highest(pressure, maxPressure);
  chart.curves.push_back(std::move(pressure));
  if (fan.hasEfficiency()) {
    chart.curves.push_back(sampled("efficiency", L"效率", ChartAxis::Efficiency, fan,
                                   &fanperf::FanCurve::efficiencyAt,
                                   &fanperf::CurvePoint::efficiency));
    chart.efficiency =
        niceScale(ChartAxis::Efficiency, L"效率 %", 0, highest(chart.curves.back(), 100));
  }
  if (fan.hasShaftPower()) {
    chart.curves.push_back(sampled("power", L"轴功率", ChartAxis::Power, fan,
                                   &fanperf::FanCurve::shaftPowerAt,
                                   &fanperf::CurvePoint::shaftPower));
    chart.power =
        niceScale(ChartAxis::Power, L"轴功率 kW", 0, highest(chart.curves.back(), 0) * kHeadroom);
  }
}

}  // namespace

AxisScale niceScale(ChartAxis axis, const CString& title, double low, double high) {
  AxisScale s;
  s.axis = axis;
  s.title = title;
  low = std::min(low, 0.0);
  if (!(high > low)) high = low + 1;
  const double rough = (high - low) / 6;
  const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
  double step = magnitude;
  for (const double f : {1.0, 2.0, 5.0, 10.0}) {
    step = f * magnitude;
    if (step >= rough) break;
  }
  s.step = step;
  s.min = std::floor(low / step) * step;
  s.max = std::ceil(high / step) * step;
  return s;
}

DutyChart buildDutyChart(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t index) {
  const Candidate& c = selection.candidates.at(index);
  const CatalogueModel& m = catalogue.models[c.model];
  const double ratio = selection.density / selection.catalogueDensity;
  DutyChart chart;
  chart.title = m.bigModel + L" No." + m.fanNo + L" " + m.driveMode + L" " + m.speed + L" r/min";
  chart.subtitle = L"设计点 " + number(selection.duty.flow) + L" m³/h, " +
                   number(selection.duty.pressure) + L" Pa; 空气 " +
                   number(selection.duty.temperature) + L" °C, 密度 " +
                   number(std::round(selection.density * 1000) / 1000) + L" kg/m³";
  double maxFlow = std::max(selection.duty.flow, c.point.flow);
  double maxPressure = std::max(selection.duty.pressure, c.point.pressure);
  if (c.kind == CandidateKind::Curve) {
    // A set's chart shows its combined curve, on which its point lies.
    if (const auto fan = modelCurve(m, ratio)) {
      addCurveOf(chart,
                 selection.duty.fans > 1
                     ? fanperf::combinedCurve(*fan, selection.duty.fans, selection.duty.arrangement)
                     : *fan,
                 maxFlow, maxPressure);
    }
  } else {
    for (const ModelBox& b : modelBoxes(m, ratio)) {
      chart.boxes.push_back({{b.box.flowLow, b.box.pressureLow},
                             {b.box.flowHigh, b.box.pressureHigh},
                             b.row->efficiency});
      maxFlow = std::max(maxFlow, b.box.flowHigh);
      maxPressure = std::max(maxPressure, b.box.pressureHigh);
    }
  }
  chart.flow = niceScale(ChartAxis::Flow, L"风量 m³/h", 0, maxFlow * kHeadroom);
  chart.pressure = niceScale(ChartAxis::Pressure, L"全压 Pa", 0, maxPressure * kHeadroom);

  // The system curve up to the end of the flow axis, or to the top of the
  // pressure axis where it leaves the chart first.
  const fanperf::SystemCurve system =
      fanperf::SystemCurve::throughPoint(selection.duty.flow, selection.duty.pressure);
  const double end = std::min(chart.flow.max, system.flowAt(chart.pressure.max));
  ChartCurve sys{"system", L"管网特性", ChartAxis::Pressure, {}, {}};
  for (int i = 0; i <= kSystemSamples; ++i) {
    const double q = end * i / kSystemSamples;
    sys.line.push_back({q, system.pressureAt(q)});
  }
  chart.curves.push_back(std::move(sys));

  chart.markers.push_back({"duty", L"设计点", {selection.duty.flow, selection.duty.pressure}});
  chart.markers.push_back({"operating", L"工作点", {c.point.flow, c.point.pressure}});
  if (c.peak) chart.markers.push_back({"peak", L"峰值全压", {c.peak->flow, c.peak->pressure}});
  return chart;
}

}  // namespace duty
