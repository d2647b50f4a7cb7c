// DutyChart: the chart of one candidate as plain data: its pressure,
// efficiency and shaft-power curves (or its range boxes), the system curve,
// the duty and operating points and the peak, with four axes and their units.
//
// The chart is data first, in the units of its axes at the actual air
// density; duty_chart_picture.h lays it out on a page once, and the SVG
// writer and the desktop draw that same layout.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/cstring.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_selection.h"

namespace duty {

enum class ChartAxis { Flow, Pressure, Efficiency, Power };

// An axis from min to max with ticks every step (min and max are multiples
// of step, so the first and last ticks sit on the ends).
struct AxisScale {
  ChartAxis axis = ChartAxis::Flow;
  CString title;  // with its unit, e.g. "风量 m³/h"
  double min = 0;
  double max = 1;
  double step = 1;
};

struct ChartPoint {
  double x = 0;  // flow, m³/h
  double y = 0;  // on the curve's axis
};

// A line through points, and optionally the measured points it is drawn
// through. role: "pressure", "efficiency", "power" or "system".
struct ChartCurve {
  std::string role;
  CString label;
  ChartAxis axis = ChartAxis::Pressure;
  std::vector<ChartPoint> line;
  std::vector<ChartPoint> measured;
};

// role: "duty", "operating" or "peak"; all on the pressure axis.
struct ChartMarker {
  std::string role;
  CString label;
  ChartPoint at;
};

// A range row: flows and pressures that the model covers.
struct ChartBox {
  ChartPoint low;
  ChartPoint high;
  std::optional<double> efficiency;
};

struct DutyChart {
  CString title;     // the model and its speed
  CString subtitle;  // the duty point and the air
  AxisScale flow;
  AxisScale pressure;
  std::optional<AxisScale> efficiency;  // only when a curve gives efficiency
  std::optional<AxisScale> power;       // only when a curve gives shaft power
  std::vector<ChartCurve> curves;
  std::vector<ChartMarker> markers;
  std::vector<ChartBox> boxes;
};

// The chart of candidate `index` of the selection.
DutyChart buildDutyChart(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t index);

// An axis from 0 (or below, for negative values) to at least `high`, with
// four to ten ticks at 1, 2 or 5 times a power of ten.
AxisScale niceScale(ChartAxis axis, const CString& title, double low, double high);

}  // namespace duty
