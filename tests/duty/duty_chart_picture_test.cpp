// The chart laid out on the page: values mapped to pixels along each axis as
// worked out by hand, ticks and their labels where the values are, labels that
// keep clear of each other, and the SVG written from the same items.
#include "duty/duty_chart_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <stdexcept>

#include "duty/duty_svg.h"
#include "duty_test_models.h"

using duty::ChartAxis;
using winplat::PictureItem;
using winplat::PictureKind;

namespace {

// A chart made by hand: flow 0 to 2000 m³/h by 500, pressure 0 to 1000 Pa by
// 200, efficiency 0 to 100 % by 20, power 0 to 2 kW by 0.5.
duty::DutyChart handChart(bool withEfficiency = true) {
  duty::DutyChart c;
  c.title = L"T <4-72> & No.4";
  c.subtitle = L"设计点 1000 m³/h, 500 Pa";
  c.flow = {ChartAxis::Flow, L"风量 m³/h", 0, 2000, 500};
  c.pressure = {ChartAxis::Pressure, L"全压 Pa", 0, 1000, 200};
  if (withEfficiency) c.efficiency = duty::AxisScale{ChartAxis::Efficiency, L"效率 %", 0, 100, 20};
  c.power = duty::AxisScale{ChartAxis::Power, L"轴功率 kW", 0, 2, 0.5};
  c.curves.push_back({"pressure", L"全压", ChartAxis::Pressure, {{500, 800}, {1500, 400}}, {}});
  c.curves.push_back({"power", L"轴功率", ChartAxis::Power, {{500, 1.0}, {1500, 1.5}}, {}});
  if (withEfficiency) {
    c.curves.push_back(
        {"efficiency", L"效率", ChartAxis::Efficiency, {{500, 60}, {1500, 80}}, {{1000, 75}}});
  }
  c.markers.push_back({"duty", L"设计点", {1000, 500}});
  c.markers.push_back({"operating", L"工作点", {1100, 605}});
  return c;
}

// Every item of the picture, groups and their children, each with the axis of the group
// it lies in.
using Placed = std::pair<const PictureItem*, std::string>;

std::vector<Placed> flatten(const std::vector<PictureItem>& items, const std::string& axis = "") {
  std::vector<Placed> out;
  for (const PictureItem& item : items) {
    out.emplace_back(&item, axis);
    if (item.kind != PictureKind::Group) continue;
    for (const Placed& p : flatten(item.children, item.axis)) out.push_back(p);
  }
  return out;
}

// The tick labels of an axis: value text and where the tick line is.
struct Tick {
  std::wstring label;
  winplat::PicturePoint lineStart;
  winplat::PicturePoint labelAt;
};

std::vector<Tick> ticksOf(const winplat::VectorPicture& pic, const std::string& axis) {
  std::vector<Tick> ticks;
  for (const auto& [item, in] : flatten(pic.items)) {
    if (item->name != "tick" || in != axis) continue;
    Tick& t = ticks.emplace_back();
    for (const PictureItem& c : item->children) {
      if (c.kind == PictureKind::Line) t.lineStart = c.points[0];
      if (c.kind == PictureKind::Text) t.label = c.text, t.labelAt = c.points[0];
    }
  }
  return ticks;
}

const PictureItem* find(const winplat::VectorPicture& pic, const std::string& name,
                        const std::string& role) {
  for (const auto& [item, axis] : flatten(pic.items)) {
    if (item->name == name && item->role == role) return item;
  }
  return nullptr;
}

const PictureItem& childOf(const PictureItem* group, PictureKind kind) {
  if (group) {
    for (const PictureItem& c : group->children) {
      if (c.kind == kind) return c;
    }
  }
  throw std::runtime_error("no such item in the group");
}

// A generous box around a text: wide characters a font size across, others
// two thirds of it (more than DejaVu Sans takes for digits and letters).
struct Box {
  double left, top, right, bottom;
  bool overlaps(const Box& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

Box textBox(const PictureItem& t) {
  double width = 0;
  for (wchar_t c : t.text) width += (c >= 0x2E80 ? 1.0 : 0.67) * t.fontSize;
  double left = t.points[0].x;
  if (t.anchor == winplat::TextAnchor::Middle) left -= width / 2;
  if (t.anchor == winplat::TextAnchor::End) left -= width;
  return {left, t.points[0].y - 0.8 * t.fontSize, left + width, t.points[0].y + 0.2 * t.fontSize};
}

std::vector<std::string> overlappingTexts(const winplat::VectorPicture& pic) {
  std::vector<const PictureItem*> texts;
  for (const auto& [item, axis] : flatten(pic.items)) {
    if (item->kind == PictureKind::Text) texts.push_back(item);
  }
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Box a = textBox(*texts[i]);
    if (a.left < 0 || a.right > pic.width || a.top < 0 || a.bottom > pic.height) {
      problems.push_back(CString(texts[i]->text.c_str()).ToUtf8() + " leaves the page");
    }
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      if (a.overlaps(textBox(*texts[j]))) {
        problems.push_back(CString(texts[i]->text.c_str()).ToUtf8() + " overlaps " +
                           CString(texts[j]->text.c_str()).ToUtf8());
      }
    }
  }
  return problems;
}

}  // namespace

// Plot area 90..720 across, 80..490 down: flow 500 is a quarter of the way across, 800 Pa
// 0.8 of the way up. Where an item lands follows from these; the ticks, the power axis's
// place and the SVG written from the same items are checked on top.
TEST(DutyChartPicture, ValuesTicksAndMarkersLandWhereTheAxesPutThemAndTheSvgAgrees) {
  const duty::DutyChart chart = handChart();
  EXPECT_NEAR(duty::chartPosition(chart, ChartAxis::Flow, 500), 247.5, 1e-9);
  EXPECT_NEAR(duty::chartPosition(chart, ChartAxis::Flow, 2000), 720, 1e-9);
  EXPECT_NEAR(duty::chartPosition(chart, ChartAxis::Pressure, 800), 162, 1e-9);
  EXPECT_NEAR(duty::chartPosition(chart, ChartAxis::Efficiency, 50), 285, 1e-9);
  EXPECT_NEAR(duty::chartPosition(chart, ChartAxis::Power, 1.5), 182.5, 1e-9);

  const winplat::VectorPicture pic = duty::dutyChartPicture(chart);
  const PictureItem* operating = find(pic, "marker", "operating");
  EXPECT_NEAR(childOf(operating, PictureKind::Circle).points[0].x, 436.5, 1e-9);
  EXPECT_NEAR(childOf(operating, PictureKind::Circle).points[0].y, 241.95, 1e-9);
  const std::vector<Tick> flow = ticksOf(pic, "flow");
  ASSERT_EQ(flow.size(), 5u);
  EXPECT_EQ(flow[1].label, L"500");
  EXPECT_DOUBLE_EQ(flow[1].lineStart.x, 247.5);
  EXPECT_GT(flow[1].labelAt.y, 490) << "below the plot";
  const std::vector<Tick> pressureTicks = ticksOf(pic, "pressure");
  ASSERT_EQ(pressureTicks.size(), 6u);
  EXPECT_EQ(pressureTicks[4].label, L"800");
  EXPECT_NEAR(pressureTicks[4].lineStart.y, 162, 1e-9);
  EXPECT_LT(pressureTicks[4].labelAt.x, 90) << "left of the pressure axis";
  EXPECT_NEAR(ticksOf(pic, "power").at(1).lineStart.x, 795, 1e-9)
      << "the power axis beside the efficiency axis";
  // Without efficiency the power axis takes the plot's right edge.
  const winplat::VectorPicture noEfficiency = duty::dutyChartPicture(handChart(false));
  EXPECT_TRUE(ticksOf(noEfficiency, "efficiency").empty());
  EXPECT_NEAR(ticksOf(noEfficiency, "power").at(0).lineStart.x, 720, 1e-9);

  // The SVG is written from the same items, its texts escaped and every group closed.
  const std::string svg = duty::pictureSvg(pic);
  EXPECT_NE(svg.find("<title>T &lt;4-72&gt; &amp; No.4</title>"), std::string::npos);
  int depth = 0;
  for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
    if (svg.compare(at, 3, "<g ") == 0 || svg.compare(at, 3, "<g>") == 0) ++depth;
    if (svg.compare(at, 4, "</g>") == 0) {
      ASSERT_GE(--depth, 0);
    }
  }
  EXPECT_EQ(depth, 0);
  const std::regex polyline(
      "<polyline class=\"curve\" data-role=\"pressure\" data-axis=\"pressure\"[^>]* "
      "points=\"([^\"]*)\"");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, polyline)) << svg;
  EXPECT_EQ(m[1].str(), "247.50,162.00 562.50,326.00");
}

// On a real candidate's chart, and with the markers pushed to the plot's far corners, no
// label overlaps another or leaves the page, and the markers' labels stay inside the plot.
TEST(DutyChartPicture, LabelsKeepClearOfEachOtherAndInsideThePlot) {
  dutytest::Catalogue c;
  c.series("4-72", duty::RowKind::Points)
      .curve("4", "A", "2900",
             {{800, 800, 70.0, 1.0},
              {1000, 760, 80.0, 1.2},
              {1300, 650, 84.0, 1.4},
              {1600, 400, 76.0, 1.5}});
  const duty::DutySelection s = duty::selectForDuty(c.get(), {1000, 500, 20, 101325});
  ASSERT_EQ(s.candidates.size(), 1u);
  const winplat::VectorPicture real = duty::dutyChartPicture(duty::buildDutyChart(c.get(), s, 0));
  for (const char* role : {"pressure", "efficiency", "power", "system"}) {
    EXPECT_TRUE(find(real, "curve", role)) << role;
  }
  duty::DutyChart chart = handChart();
  chart.flow.max = 10000;
  chart.flow.step = 2000;
  chart.markers[0].at = {600, 200};
  chart.markers[1].at = {9800, 950};
  const winplat::VectorPicture corners = duty::dutyChartPicture(chart);
  for (const char* role : {"duty", "operating"}) {
    const Box b = textBox(childOf(find(corners, "marker", role), PictureKind::Text));
    EXPECT_GE(b.left, duty::kPlotLeft) << role;
    EXPECT_LE(b.right, duty::kPlotRight) << role;
  }
  for (const auto* pic : {&real, &corners}) {
    for (const std::string& problem : overlappingTexts(*pic)) ADD_FAILURE() << problem;
  }
}
