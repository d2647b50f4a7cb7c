// Writing drawing items as SVG elements.
#include "duty/duty_svg.h"

#include <cstdio>

#include "base/cstring.h"
#include "duty/duty_chart_picture.h"

namespace duty {

namespace {

using winplat::PictureItem;
using winplat::PictureKind;

std::string num(double v) {
  // As long as the number needs: a point far off the chart has many digits.
  std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.2f", v)), '\0');
  std::snprintf(text.data(), text.size() + 1, "%.2f", v);
  return text;
}

std::string colour(winplat::PictureColour c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(c & 0xFFFFFF));
  return buf;
}

std::string escaped(const std::wstring& text) {
  std::string out;
  for (char c : CString(text.c_str()).ToUtf8()) {
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

std::string attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + value + "\"";
}

std::string names(const PictureItem& item) {
  std::string out;
  if (!item.name.empty()) out += attr("class", item.name);
  if (!item.role.empty()) out += attr("data-role", item.role);
  if (!item.axis.empty()) out += attr("data-axis", item.axis);
  return out;
}

std::string paint(const PictureItem& item) {
  std::string out;
  out += attr("fill", item.filled ? colour(item.fill) : "none");
  if (item.filled && item.fillOpacity < 1) out += attr("fill-opacity", num(item.fillOpacity));
  if (!item.stroked) return out;
  out += attr("stroke", colour(item.stroke));
  if (item.strokeWidth != 1) out += attr("stroke-width", num(item.strokeWidth));
  if (!item.dash.empty()) {
    std::string dash;
    for (double d : item.dash) dash += (dash.empty() ? "" : " ") + num(d);
    out += attr("stroke-dasharray", dash);
  }
  return out;
}

const char* anchorName(winplat::TextAnchor a) {
  switch (a) {
    case winplat::TextAnchor::Middle:
      return "middle";
    case winplat::TextAnchor::End:
      return "end";
    default:
      return "start";
  }
}

void write(std::string& out, const PictureItem& item);

void writeShape(std::string& out, const PictureItem& item) {
  const auto& p = item.points;
  switch (item.kind) {
    case PictureKind::Line:
      out += "<line" + names(item) + attr("x1", num(p[0].x)) + attr("y1", num(p[0].y)) +
             attr("x2", num(p[1].x)) + attr("y2", num(p[1].y)) + paint(item) + "/>\n";
      break;
    case PictureKind::Polyline: {
      std::string points;
      for (const auto& q : p) points += (points.empty() ? "" : " ") + num(q.x) + "," + num(q.y);
      out += "<polyline" + names(item) + paint(item) + attr("points", points) + "/>\n";
      break;
    }
    case PictureKind::Circle:
      out += "<circle" + names(item) + attr("cx", num(p[0].x)) + attr("cy", num(p[0].y)) +
             attr("r", num(item.radius)) + paint(item) + "/>\n";
      break;
    case PictureKind::Rect:
      out += "<rect" + names(item) + attr("x", num(p[0].x)) + attr("y", num(p[0].y)) +
             attr("width", num(p[1].x - p[0].x)) + attr("height", num(p[1].y - p[0].y)) +
             paint(item) + "/>\n";
      break;
    case PictureKind::Text:
      out += "<text" + names(item) + attr("x", num(p[0].x)) + attr("y", num(p[0].y));
      if (item.anchor != winplat::TextAnchor::Start) {
        out += attr("text-anchor", anchorName(item.anchor));
      }
      if (item.fontSize != 12) out += attr("font-size", num(item.fontSize));
      out += attr("fill", colour(item.fill)) + ">" + escaped(item.text) + "</text>\n";
      break;
    case PictureKind::Group:
      break;
  }
}

void write(std::string& out, const PictureItem& item) {
  if (item.kind != PictureKind::Group) {
    writeShape(out, item);
    return;
  }
  out += "<g" + names(item) + ">\n";
  for (const PictureItem& child : item.children) write(out, child);
  out += "</g>\n";
}

}  // namespace

std::string pictureSvg(const winplat::VectorPicture& picture) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" +
      attr("width", num(picture.width)) + attr("height", num(picture.height)) +
      attr("viewBox", "0 0 " + num(picture.width) + " " + num(picture.height)) +
      " font-family=\"DejaVu Sans, WenQuanYi Micro Hei, Noto Sans CJK SC, sans-serif\""
      " font-size=\"12\">\n";
  if (!picture.title.empty()) out += "<title>" + escaped(picture.title) + "</title>\n";
  out += "<rect width=\"100%\" height=\"100%\"" + attr("fill", colour(picture.background)) + "/>\n";
  for (const PictureItem& item : picture.items) write(out, item);
  out += "</svg>\n";
  return out;
}

std::string dutyChartSvg(const DutyChart& chart) { return pictureSvg(dutyChartPicture(chart)); }

}  // namespace duty
