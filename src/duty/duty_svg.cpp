// Writing a duty chart as SVG: layout, axes, curves, points and legend.
#include "duty/duty_svg.h"

#include <cmath>
#include <cstdio>

namespace duty {

namespace {

// Page and plot area in SVG user units (pixels): room on the left for the
// pressure axis, on the right for the efficiency and power axes, above for
// the titles and below for the flow axis and the legend.
constexpr double kWidth = 880;
constexpr double kHeight = 560;
constexpr double kLeft = 90;
constexpr double kTop = 70;
constexpr double kRight = kWidth - 160;
constexpr double kBottom = kHeight - 90;
constexpr double kSecondAxisOffset = 75;  // the power axis, right of the efficiency axis
constexpr double kTick = 5;

struct Style {
  const char* colour;
  const char* dash;  // stroke-dasharray, or ""
};

Style styleOf(const std::string& role) {
  if (role == "pressure") return {"#1f5fbf", ""};
  if (role == "efficiency") return {"#2a9d3a", ""};
  if (role == "power") return {"#c0392b", ""};
  if (role == "system") return {"#555555", "6 4"};
  if (role == "duty") return {"#000000", ""};
  if (role == "operating") return {"#e67e22", ""};
  return {"#8e44ad", ""};  // peak
}

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

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string label(double v) {
  // Tick values are multiples of a step of one significant digit; rounding
  // away the sum's last bits keeps 0.30000000000000004 from being shown.
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", std::round(v * 1e9) / 1e9);
  return buf;
}

std::string escaped(const CString& text) {
  std::string out;
  for (char c : text.ToUtf8()) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

class Page {
 public:
  explicit Page(const DutyChart& chart) : m_chart(chart) {}

  double x(double flow) const { return along(m_chart.flow, flow, kLeft, kRight); }
  double y(ChartAxis axis, double v) const { return along(scale(axis), v, kBottom, kTop); }

  const AxisScale& scale(ChartAxis axis) const {
    switch (axis) {
      case ChartAxis::Flow:
        return m_chart.flow;
      case ChartAxis::Efficiency:
        return *m_chart.efficiency;
      case ChartAxis::Power:
        return *m_chart.power;
      default:
        return m_chart.pressure;
    }
  }

 private:
  static double along(const AxisScale& s, double v, double from, double to) {
    return from + (v - s.min) / (s.max - s.min) * (to - from);
  }
  const DutyChart& m_chart;
};

int tickCount(const AxisScale& s) {
  return static_cast<int>(std::lround((s.max - s.min) / s.step));
}

void flowAxis(std::string& out, const Page& page, const AxisScale& s) {
  out += "<g class=\"axis\" data-axis=\"flow\">\n";
  for (int i = 0; i <= tickCount(s); ++i) {
    const double v = s.min + i * s.step;
    const std::string px = num(page.x(v));
    out += "<line class=\"grid\" x1=\"" + px + "\" y1=\"" + num(kTop) + "\" x2=\"" + px +
           "\" y2=\"" + num(kBottom) + "\" stroke=\"#e6e6e6\"/>\n";
    out += "<g class=\"tick\"><line x1=\"" + px + "\" y1=\"" + num(kBottom) + "\" x2=\"" + px +
           "\" y2=\"" + num(kBottom + kTick) + "\" stroke=\"#000\"/><text x=\"" + px + "\" y=\"" +
           num(kBottom + 20) + "\" text-anchor=\"middle\">" + label(v) + "</text></g>\n";
  }
  out += "<text class=\"axis-title\" x=\"" + num((kLeft + kRight) / 2) + "\" y=\"" +
         num(kBottom + 42) + "\" text-anchor=\"middle\">" + escaped(s.title) + "</text>\n</g>\n";
}

// A vertical axis at xAxis; side -1 puts ticks and labels left of it, +1 right.
void verticalAxis(std::string& out, const Page& page, const AxisScale& s, double xAxis, int side,
                  const char* colour, bool grid) {
  out += std::string("<g class=\"axis\" data-axis=\"") + axisName(s.axis) + "\">\n";
  out += "<line class=\"axis-line\" x1=\"" + num(xAxis) + "\" y1=\"" + num(kTop) + "\" x2=\"" +
         num(xAxis) + "\" y2=\"" + num(kBottom) + "\" stroke=\"" + colour + "\"/>\n";
  const char* anchor = side < 0 ? "end" : "start";
  for (int i = 0; i <= tickCount(s); ++i) {
    const double v = s.min + i * s.step;
    const std::string py = num(page.y(s.axis, v));
    if (grid) {
      out += "<line class=\"grid\" x1=\"" + num(kLeft) + "\" y1=\"" + py + "\" x2=\"" +
             num(kRight) + "\" y2=\"" + py + "\" stroke=\"#e6e6e6\"/>\n";
    }
    out += "<g class=\"tick\"><line x1=\"" + num(xAxis) + "\" y1=\"" + py + "\" x2=\"" +
           num(xAxis + side * kTick) + "\" y2=\"" + py + "\" stroke=\"" + colour +
           "\"/><text x=\"" + num(xAxis + side * (kTick + 3)) + "\" y=\"" +
           num(page.y(s.axis, v) + 4) + "\" text-anchor=\"" + anchor + "\" fill=\"" + colour +
           "\">" + label(v) + "</text></g>\n";
  }
  out += "<text class=\"axis-title\" x=\"" + num(xAxis) + "\" y=\"" + num(kTop - 12) +
         "\" text-anchor=\"middle\" fill=\"" + colour + "\">" + escaped(s.title) +
         "</text>\n</g>\n";
}

void curve(std::string& out, const Page& page, const ChartCurve& c) {
  const Style st = styleOf(c.role);
  const std::string attrs = "data-role=\"" + c.role + "\" data-axis=\"" + axisName(c.axis) + "\"";
  out += "<polyline class=\"curve\" " + attrs + " fill=\"none\" stroke=\"" + st.colour +
         "\" stroke-width=\"2\"";
  if (*st.dash) out += std::string(" stroke-dasharray=\"") + st.dash + "\"";
  out += " points=\"";
  for (std::size_t i = 0; i < c.line.size(); ++i) {
    if (i) out += ' ';
    out += num(page.x(c.line[i].x)) + "," + num(page.y(c.axis, c.line[i].y));
  }
  out += "\"/>\n";
  if (c.measured.empty()) return;
  out += "<g class=\"measured\" " + attrs + " fill=\"" + st.colour + "\">\n";
  for (const ChartPoint& p : c.measured) {
    out += "<circle cx=\"" + num(page.x(p.x)) + "\" cy=\"" + num(page.y(c.axis, p.y)) +
           "\" r=\"3\"/>\n";
  }
  out += "</g>\n";
}

void boxes(std::string& out, const Page& page, const std::vector<ChartBox>& list) {
  for (const ChartBox& b : list) {
    const double x0 = page.x(b.low.x), x1 = page.x(b.high.x);
    const double y0 = page.y(ChartAxis::Pressure, b.high.y);
    const double y1 = page.y(ChartAxis::Pressure, b.low.y);
    out += "<rect class=\"box\" data-axis=\"pressure\" x=\"" + num(x0) + "\" y=\"" + num(y0) +
           "\" width=\"" + num(x1 - x0) + "\" height=\"" + num(y1 - y0) +
           "\" fill=\"#1f5fbf\" fill-opacity=\"0.15\" stroke=\"#1f5fbf\"/>\n";
    if (b.efficiency) {
      out += "<text class=\"box-label\" x=\"" + num((x0 + x1) / 2) + "\" y=\"" +
             num((y0 + y1) / 2 + 4) + "\" text-anchor=\"middle\" fill=\"#1f5fbf\">" +
             label(*b.efficiency) + "%</text>\n";
    }
  }
}

void markers(std::string& out, const Page& page, const std::vector<ChartMarker>& list) {
  for (const ChartMarker& m : list) {
    const Style st = styleOf(m.role);
    const double px = page.x(m.at.x), py = page.y(ChartAxis::Pressure, m.at.y);
    out += "<g class=\"marker\" data-role=\"" + m.role + "\" data-axis=\"pressure\">";
    out += "<circle cx=\"" + num(px) + "\" cy=\"" + num(py) + "\" r=\"5\" fill=\"" + st.colour +
           "\" stroke=\"#fff\"/>";
    out += "<text x=\"" + num(px + 8) + "\" y=\"" + num(py - 8) + "\" fill=\"" + st.colour + "\">" +
           escaped(m.label) + " " + label(std::round(m.at.x)) + " m³/h, " +
           label(std::round(m.at.y)) + " Pa</text></g>\n";
  }
}

void legend(std::string& out, const DutyChart& chart) {
  double x = kLeft;
  const double y = kHeight - 20;
  out += "<g class=\"legend\">\n";
  for (const ChartCurve& c : chart.curves) {
    const Style st = styleOf(c.role);
    out += "<line x1=\"" + num(x) + "\" y1=\"" + num(y - 4) + "\" x2=\"" + num(x + 24) +
           "\" y2=\"" + num(y - 4) + "\" stroke=\"" + st.colour + "\" stroke-width=\"2\"";
    if (*st.dash) out += std::string(" stroke-dasharray=\"") + st.dash + "\"";
    out +=
        "/><text x=\"" + num(x + 30) + "\" y=\"" + num(y) + "\">" + escaped(c.label) + "</text>\n";
    x += 110;
  }
  out += "</g>\n";
}

}  // namespace

std::string dutyChartSvg(const DutyChart& chart) {
  const Page page(chart);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
      num(kWidth) + "\" height=\"" + num(kHeight) + "\" viewBox=\"0 0 " + num(kWidth) + " " +
      num(kHeight) +
      "\" font-family=\"WenQuanYi Micro Hei, Noto Sans CJK SC, sans-serif\" font-size=\"12\">\n";
  out += "<title>" + escaped(chart.title) + "</title>\n";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
  out += "<text class=\"title\" x=\"" + num(kLeft) + "\" y=\"26\" font-size=\"16\">" +
         escaped(chart.title) + "</text>\n";
  out += "<text class=\"subtitle\" x=\"" + num(kLeft) + "\" y=\"46\">" + escaped(chart.subtitle) +
         "</text>\n";
  flowAxis(out, page, chart.flow);
  verticalAxis(out, page, chart.pressure, kLeft, -1, styleOf("pressure").colour, true);
  if (chart.efficiency) {
    verticalAxis(out, page, *chart.efficiency, kRight, 1, styleOf("efficiency").colour, false);
  }
  if (chart.power) {
    verticalAxis(out, page, *chart.power, kRight + (chart.efficiency ? kSecondAxisOffset : 0), 1,
                 styleOf("power").colour, false);
  }
  out += "<rect class=\"frame\" x=\"" + num(kLeft) + "\" y=\"" + num(kTop) + "\" width=\"" +
         num(kRight - kLeft) + "\" height=\"" + num(kBottom - kTop) +
         "\" fill=\"none\" stroke=\"#000\"/>\n";
  boxes(out, page, chart.boxes);
  for (const ChartCurve& c : chart.curves) curve(out, page, c);
  markers(out, page, chart.markers);
  legend(out, chart);
  out += "</svg>\n";
  return out;
}

}  // namespace duty
