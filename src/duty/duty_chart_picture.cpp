// Laying out a duty chart: titles, axes with ticks, curves, boxes, points and
// the legend, as drawing items on the page.
#include "duty/duty_chart_picture.h"

#include <cmath>
#include <cstdio>

namespace duty {

namespace {

using winplat::PictureItem;
using winplat::PictureKind;
using winplat::PicturePoint;
using winplat::TextAnchor;

constexpr double kSecondAxisOffset = 75;  // the power axis, right of the efficiency axis
constexpr double kTick = 5;
constexpr double kLegendStep = 100;  // room for the longest legend label (four characters)
constexpr winplat::PictureColour kGridColour = 0xE6E6E6;
constexpr winplat::PictureColour kTextColour = 0x000000;

const char* axisName(ChartAxis a) {
  switch (a) {
    case ChartAxis::Flow:
      return "flow";
    case ChartAxis::Pressure:
      return "pressure";
    case ChartAxis::Efficiency:
      return "efficiency";
    default:
      return "power";
  }
}

std::wstring valueText(double v) {
  // Tick values are multiples of a step of one significant digit; rounding
  // away the sum's last bits keeps 0.30000000000000004 from being shown.
  wchar_t buf[32];
  std::swprintf(buf, std::size(buf), L"%.10g", std::round(v * 1e9) / 1e9);
  return buf;
}

PictureItem line(const std::string& name, PicturePoint a, PicturePoint b,
                 winplat::PictureColour colour) {
  PictureItem l;
  l.kind = PictureKind::Line;
  l.name = name;
  l.points = {a, b};
  l.stroke = colour;
  return l;
}

PictureItem text(const std::string& name, PicturePoint at, const std::wstring& what,
                 winplat::PictureColour colour, TextAnchor anchor = TextAnchor::Start) {
  PictureItem t;
  t.kind = PictureKind::Text;
  t.name = name;
  t.points = {at};
  t.text = what;
  t.stroked = false;
  t.filled = true;
  t.fill = colour;
  t.anchor = anchor;
  return t;
}

PictureItem circle(PicturePoint at, double radius, winplat::PictureColour colour) {
  PictureItem c;
  c.kind = PictureKind::Circle;
  c.points = {at};
  c.radius = radius;
  c.stroked = false;
  c.filled = true;
  c.fill = colour;
  return c;
}

int tickCount(const AxisScale& s) {
  return static_cast<int>(std::lround((s.max - s.min) / s.step));
}

const AxisScale& scaleOf(const DutyChart& chart, ChartAxis axis) {
  switch (axis) {
    case ChartAxis::Flow:
      return chart.flow;
    case ChartAxis::Efficiency:
      return *chart.efficiency;
    case ChartAxis::Power:
      return *chart.power;
    default:
      return chart.pressure;
  }
}

PicturePoint at(const DutyChart& chart, ChartAxis axis, ChartPoint p) {
  return {chartPosition(chart, ChartAxis::Flow, p.x), chartPosition(chart, axis, p.y)};
}

PictureItem flowAxis(const DutyChart& chart) {
  const AxisScale& s = chart.flow;
  PictureItem g = PictureItem::group("axis", "", "flow");
  for (int i = 0; i <= tickCount(s); ++i) {
    const double v = s.min + i * s.step;
    const double px = chartPosition(chart, ChartAxis::Flow, v);
    g.children.push_back(line("grid", {px, kPlotTop}, {px, kPlotBottom}, kGridColour));
    PictureItem tick = PictureItem::group("tick");
    tick.children.push_back(line("", {px, kPlotBottom}, {px, kPlotBottom + kTick}, kTextColour));
    tick.children.push_back(
        text("", {px, kPlotBottom + 20}, valueText(v), kTextColour, TextAnchor::Middle));
    g.children.push_back(std::move(tick));
  }
  g.children.push_back(text("axis-title", {(kPlotLeft + kPlotRight) / 2, kPlotBottom + 42},
                            s.title.str(), kTextColour, TextAnchor::Middle));
  return g;
}

// A vertical axis at xAxis; side -1 puts ticks and labels left of it, +1 right.
PictureItem verticalAxis(const DutyChart& chart, const AxisScale& s, double xAxis, int side,
                         winplat::PictureColour colour, bool grid) {
  PictureItem g = PictureItem::group("axis", "", axisName(s.axis));
  g.children.push_back(line("axis-line", {xAxis, kPlotTop}, {xAxis, kPlotBottom}, colour));
  for (int i = 0; i <= tickCount(s); ++i) {
    const double v = s.min + i * s.step;
    const double py = chartPosition(chart, s.axis, v);
    if (grid) g.children.push_back(line("grid", {kPlotLeft, py}, {kPlotRight, py}, kGridColour));
    PictureItem tick = PictureItem::group("tick");
    tick.children.push_back(line("", {xAxis, py}, {xAxis + side * kTick, py}, colour));
    // +4: the label's middle, not its baseline, level with the tick.
    tick.children.push_back(text("", {xAxis + side * (kTick + 3), py + 4}, valueText(v), colour,
                                 side < 0 ? TextAnchor::End : TextAnchor::Start));
    g.children.push_back(std::move(tick));
  }
  g.children.push_back(
      text("axis-title", {xAxis, kPlotTop - 12}, s.title.str(), colour, TextAnchor::Middle));
  return g;
}

std::vector<PictureItem> curveItems(const DutyChart& chart, const ChartCurve& c) {
  const winplat::PictureColour colour = chartColour(c.role);
  PictureItem poly;
  poly.kind = PictureKind::Polyline;
  poly.name = "curve";
  poly.role = c.role;
  poly.axis = axisName(c.axis);
  poly.stroke = colour;
  poly.strokeWidth = 2;
  if (c.role == "system") poly.dash = {6, 4};
  for (const ChartPoint& p : c.line) poly.points.push_back(at(chart, c.axis, p));
  std::vector<PictureItem> items{std::move(poly)};
  if (c.measured.empty()) return items;
  PictureItem measured = PictureItem::group("measured", c.role, axisName(c.axis));
  for (const ChartPoint& p : c.measured) {
    measured.children.push_back(circle(at(chart, c.axis, p), 3, colour));
  }
  items.push_back(std::move(measured));
  return items;
}

void addBoxes(std::vector<PictureItem>& items, const DutyChart& chart) {
  const winplat::PictureColour colour = chartColour("pressure");
  for (const ChartBox& b : chart.boxes) {
    PictureItem r;
    r.kind = PictureKind::Rect;
    r.name = "box";
    r.axis = "pressure";
    r.points = {at(chart, ChartAxis::Pressure, {b.low.x, b.high.y}),
                at(chart, ChartAxis::Pressure, {b.high.x, b.low.y})};
    r.stroke = colour;
    r.filled = true;
    r.fill = colour;
    r.fillOpacity = 0.15;
    const PicturePoint mid{(r.points[0].x + r.points[1].x) / 2,
                           (r.points[0].y + r.points[1].y) / 2 + 4};
    items.push_back(std::move(r));
    if (b.efficiency) {
      items.push_back(
          text("box-label", mid, valueText(*b.efficiency) + L"%", colour, TextAnchor::Middle));
    }
  }
}

// A width no text of the chart exceeds at this size: wide (CJK) characters
// take the font size, others two thirds of it (DejaVu Sans takes less).
double roomFor(const std::wstring& what, double fontSize) {
  double width = 0;
  for (wchar_t c : what) width += (c >= 0x2E80 ? 1.0 : 0.67) * fontSize;
  return width;
}

// The point's label goes where it keeps clear of the others: the duty point
// lies on the system curve below and left of the operating point, and the
// peak left of it on the fan curve, so the duty's label goes below left, the
// operating point's above right and the peak's above left; a label that
// would leave the plot that way goes to the other side of its point.
PictureItem marker(const DutyChart& chart, const ChartMarker& m) {
  const winplat::PictureColour colour = chartColour(m.role);
  const PicturePoint p = at(chart, ChartAxis::Pressure, m.at);
  PictureItem g = PictureItem::group("marker", m.role, "pressure");
  PictureItem dot = circle(p, 5, colour);
  dot.stroked = true;
  dot.stroke = 0xFFFFFF;
  g.children.push_back(std::move(dot));
  const std::wstring what = m.label.str() + L" " + valueText(std::round(m.at.x)) + L" m³/h, " +
                            valueText(std::round(m.at.y)) + L" Pa";
  const double room = roomFor(what, 12);
  const bool right =
      m.role == "operating" ? p.x + 8 + room <= kPlotRight : p.x - 8 - room < kPlotLeft;
  const double y = m.role == "duty" ? p.y + 18 : p.y - 10;
  // A pale ground under the label keeps it readable where curves cross it.
  const double left = right ? p.x + 8 : p.x - 8 - room;
  PictureItem ground;
  ground.kind = PictureKind::Rect;
  ground.name = "label-ground";
  ground.points = {{left - 2, y - 12}, {left + room + 2, y + 4}};
  ground.stroked = false;
  ground.filled = true;
  ground.fill = 0xFFFFFF;
  ground.fillOpacity = 0.8;
  g.children.push_back(std::move(ground));
  if (right) {
    g.children.push_back(text("", {p.x + 8, y}, what, colour));
  } else {
    g.children.push_back(text("", {p.x - 8, y}, what, colour, TextAnchor::End));
  }
  return g;
}

PictureItem legend(const DutyChart& chart) {
  PictureItem g = PictureItem::group("legend");
  double x = kPlotLeft;
  const double y = kChartHeight - 20;
  for (const ChartCurve& c : chart.curves) {
    PictureItem sample = line("", {x, y - 4}, {x + 24, y - 4}, chartColour(c.role));
    sample.strokeWidth = 2;
    if (c.role == "system") sample.dash = {6, 4};
    g.children.push_back(std::move(sample));
    g.children.push_back(text("", {x + 30, y}, c.label.str(), kTextColour));
    x += kLegendStep;
  }
  if (!chart.boxes.empty()) {
    PictureItem sample;
    sample.kind = PictureKind::Rect;
    sample.points = {{x, y - 10}, {x + 24, y + 2}};
    sample.stroke = chartColour("pressure");
    sample.filled = true;
    sample.fill = chartColour("pressure");
    sample.fillOpacity = 0.15;
    g.children.push_back(std::move(sample));
    g.children.push_back(text("", {x + 30, y}, L"性能范围", kTextColour));
    x += kLegendStep;
  }
  for (const ChartMarker& m : chart.markers) {
    g.children.push_back(circle({x + 12, y - 4}, 5, chartColour(m.role)));
    g.children.push_back(text("", {x + 30, y}, m.label.str(), kTextColour));
    x += kLegendStep;
  }
  return g;
}

}  // namespace

winplat::PictureColour chartColour(const std::string& role) {
  if (role == "pressure") return 0x1F5FBF;
  if (role == "efficiency") return 0x2A9D3A;
  if (role == "power") return 0xC0392B;
  if (role == "system") return 0x555555;
  if (role == "duty") return 0x000000;
  if (role == "operating") return 0xE67E22;
  return 0x8E44AD;  // peak
}

double chartPosition(const DutyChart& chart, ChartAxis axis, double value) {
  const AxisScale& s = scaleOf(chart, axis);
  const double fraction = (value - s.min) / (s.max - s.min);
  if (axis == ChartAxis::Flow) return kPlotLeft + fraction * (kPlotRight - kPlotLeft);
  return kPlotBottom - fraction * (kPlotBottom - kPlotTop);
}

winplat::VectorPicture dutyChartPicture(const DutyChart& chart) {
  winplat::VectorPicture pic;
  pic.width = kChartWidth;
  pic.height = kChartHeight;
  pic.title = chart.title.str();
  std::vector<PictureItem>& items = pic.items;
  PictureItem title = text("title", {kPlotLeft, 26}, chart.title.str(), kTextColour);
  title.fontSize = 16;
  items.push_back(std::move(title));
  items.push_back(text("subtitle", {kPlotLeft, 48}, chart.subtitle.str(), kTextColour));
  items.push_back(flowAxis(chart));
  items.push_back(
      verticalAxis(chart, chart.pressure, kPlotLeft, -1, chartColour("pressure"), true));
  if (chart.efficiency) {
    items.push_back(
        verticalAxis(chart, *chart.efficiency, kPlotRight, 1, chartColour("efficiency"), false));
  }
  if (chart.power) {
    items.push_back(verticalAxis(chart, *chart.power,
                                 kPlotRight + (chart.efficiency ? kSecondAxisOffset : 0), 1,
                                 chartColour("power"), false));
  }
  PictureItem frame;
  frame.kind = PictureKind::Rect;
  frame.name = "frame";
  frame.points = {{kPlotLeft, kPlotTop}, {kPlotRight, kPlotBottom}};
  items.push_back(std::move(frame));
  addBoxes(items, chart);
  for (const ChartCurve& c : chart.curves) {
    for (PictureItem& item : curveItems(chart, c)) items.push_back(std::move(item));
  }
  for (const ChartMarker& m : chart.markers) items.push_back(marker(chart, m));
  items.push_back(legend(chart));
  return pic;
}

}  // namespace duty
