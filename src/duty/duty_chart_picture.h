// The chart of a candidate laid out on a page: where every axis, tick,
// label, curve, point and legend entry goes, as drawing items
// (win/vector_picture.h).
//
// This is the only place that decides the chart's geometry: the SVG file
// (duty_svg.h) is written from these items and the desktop paints the same
// items on screen and into PNG files, so every form of the chart shows the
// same thing.
//
// Page: kChartWidth × kChartHeight pixels. The plot area spans kPlotLeft to
// kPlotRight across and kPlotTop to kPlotBottom down; flow runs along the
// bottom, pressure on the left, efficiency and shaft power on the right.
// Groups are named as a reader of the file finds them: "axis" (with
// data-axis) holding "tick" groups of a line and its value, "curve" polylines
// and "measured" groups of circles (with role and axis), "marker" groups
// (role duty, operating or peak, on the pressure axis), "box" rectangles and
// the "legend".
#pragma once

#include "duty/duty_chart.h"
#include "win/vector_picture.h"

namespace duty {

inline constexpr double kChartWidth = 880;
inline constexpr double kChartHeight = 580;
inline constexpr double kPlotLeft = 90;
inline constexpr double kPlotTop = 80;
inline constexpr double kPlotRight = kChartWidth - 160;
inline constexpr double kPlotBottom = kChartHeight - 90;

// The colour of a curve's or a marker's role (pressure, efficiency, power,
// system; duty, operating, peak), 0xRRGGBB.
winplat::PictureColour chartColour(const std::string& role);

// Where a value of an axis lies on the page: x for the flow axis, y for the
// others.
double chartPosition(const DutyChart& chart, ChartAxis axis, double value);

winplat::VectorPicture dutyChartPicture(const DutyChart& chart);

}  // namespace duty
