// The chart of a candidate as an SVG document.
//
// Written by hand (a few elements; no library needed): a frame, four axes
// with ticks and labels (flow along the bottom, pressure on the left,
// efficiency and shaft power on the right), the curves as polylines, the
// measured points as circles, range boxes as rectangles, and the duty,
// operating and peak points with their values. Elements carry a class and a
// data-role (pressure, efficiency, power, system; duty, operating, peak) and
// data-axis, so that a reader finds each curve and maps it back through the
// tick labels of its axis.
#pragma once

#include <string>

#include "duty/duty_chart.h"

namespace duty {

// UTF-8 text of a standalone SVG 1.1 document.
std::string dutyChartSvg(const DutyChart& chart);

}  // namespace duty
