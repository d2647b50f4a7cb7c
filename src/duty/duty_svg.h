// Drawing items (win/vector_picture.h) as an SVG document, and the chart of a
// candidate written that way.
//
// Written by hand (a few elements; no library needed): groups become <g>,
// items their SVG elements, and an item's names become its class, data-role
// and data-axis, so that a reader finds each curve of a chart and maps it
// back through the tick labels of its axis (duty_chart_picture.h).
#pragma once

#include <string>

#include "duty/duty_chart.h"
#include "win/vector_picture.h"

namespace duty {

// UTF-8 text of a standalone SVG 1.1 document.
std::string pictureSvg(const winplat::VectorPicture& picture);

// The chart as laid out by dutyChartPicture, as SVG.
std::string dutyChartSvg(const DutyChart& chart);

}  // namespace duty
