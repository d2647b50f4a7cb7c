// The data sheet drawn with cairo: the chart's items, then the sections as
// label and value lines, long lines wrapped to the page.
#include "duty/duty_sheet.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "duty/duty_chart.h"
#include "duty/duty_chart_picture.h"
#include "duty/duty_files.h"
#include "duty/duty_listing.h"

namespace duty {

namespace {

using winplat::PictureItem;
using winplat::PictureKind;

// A4 in PDF points (1/72 in), with a 15 mm margin.
constexpr double kPageWidth = 595.28, kPageHeight = 841.89, kMargin = 42.5;
constexpr double kTextWidth = kPageWidth - 2 * kMargin;
// A family with the Chinese glyphs (Debian's fonts-wqy-microhei, installed
// with the desktop); fontconfig substitutes another when it is missing.
constexpr const char* kFamily = "WenQuanYi Micro Hei";
constexpr double kBodySize = 8.5, kHeadingSize = 10.5, kTitleSize = 15;

void setColour(cairo_t* cr, winplat::PictureColour c, double alpha = 1) {
  cairo_set_source_rgba(cr, ((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                        (c & 0xFF) / 255.0, alpha);
}

void font(cairo_t* cr, double size, bool bold = false) {
  cairo_select_font_face(cr, kFamily, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

double textWidth(cairo_t* cr, const std::string& utf8) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, utf8.c_str(), &e);
  return e.x_advance;
}

// One item of the chart, as duty_svg.cpp writes it.
void drawItem(cairo_t* cr, const PictureItem& item) {
  if (item.kind == PictureKind::Group) {
    for (const PictureItem& child : item.children) drawItem(cr, child);
    return;
  }
  const auto& p = item.points;
  if (item.kind == PictureKind::Text) {
    if (p.empty()) return;
    font(cr, item.fontSize);
    const std::string text = CString(item.text.c_str()).ToUtf8();
    double x = p[0].x;
    const double w = textWidth(cr, text);
    if (item.anchor == winplat::TextAnchor::Middle) x -= w / 2;
    if (item.anchor == winplat::TextAnchor::End) x -= w;
    setColour(cr, item.fill);
    cairo_move_to(cr, x, p[0].y);
    cairo_show_text(cr, text.c_str());
    return;
  }
  cairo_new_path(cr);
  switch (item.kind) {
    case PictureKind::Line:
    case PictureKind::Polyline:
      for (std::size_t i = 0; i < p.size(); ++i) {
        (i == 0 ? cairo_move_to : cairo_line_to)(cr, p[i].x, p[i].y);
      }
      break;
    case PictureKind::Circle:
      if (p.empty()) return;
      cairo_arc(cr, p[0].x, p[0].y, item.radius, 0, 2 * M_PI);
      break;
    case PictureKind::Rect:
      if (p.size() < 2) return;
      cairo_rectangle(cr, p[0].x, p[0].y, p[1].x - p[0].x, p[1].y - p[0].y);
      break;
    default:
      return;
  }
  if (item.filled && item.kind != PictureKind::Line && item.kind != PictureKind::Polyline) {
    setColour(cr, item.fill, item.fillOpacity);
    cairo_fill_preserve(cr);
  }
  if (item.stroked) {
    setColour(cr, item.stroke);
    cairo_set_line_width(cr, item.strokeWidth);
    cairo_set_dash(cr, item.dash.data(), static_cast<int>(item.dash.size()), 0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
  }
  cairo_new_path(cr);
}

// Lines of text down the page from y, wrapped at the text width.
class Writer {
 public:
  Writer(cairo_t* cr, double y) : m_cr(cr), m_y(y) {}

  void heading(const CString& text) {
    m_y += 6;
    line(text, kHeadingSize, true);
  }
  void line(const CString& text, double size = kBodySize, bool bold = false, double indent = 0) {
    font(m_cr, size, bold);
    cairo_set_source_rgb(m_cr, 0, 0, 0);
    // Wrapped a character at a time: Chinese has no blanks to break at. The
    // font lacks ℃; the chart writes °C too.
    CString shown = text;
    shown.Replace(L"℃", L"°C");
    std::wstring rest = shown.str();
    while (!rest.empty()) {
      std::size_t fit = rest.size();
      while (fit > 1 &&
             textWidth(m_cr, CString(rest.substr(0, fit).c_str()).ToUtf8()) > kTextWidth - indent) {
        --fit;
      }
      m_y += size * 1.35;
      cairo_move_to(m_cr, kMargin + indent, m_y);
      cairo_show_text(m_cr, CString(rest.substr(0, fit).c_str()).ToUtf8().c_str());
      rest.erase(0, fit);
      indent = std::max(indent, 12.0);  // a wrapped line's rest stands in
    }
  }
  // label: value pairs, two to a line; one too long for half the line takes
  // lines of its own.
  void pairs(const std::vector<std::pair<CString, CString>>& items) {
    bool right = false;  // the next pair goes into the right half
    for (const auto& [label, value] : items) {
      const CString text = label + L": " + value;
      font(m_cr, kBodySize);
      if (textWidth(m_cr, text.ToUtf8()) > kTextWidth / 2 - 6) {
        line(text);
        right = false;
        continue;
      }
      if (!right) m_y += kBodySize * 1.45;
      cairo_set_source_rgb(m_cr, 0, 0, 0);
      cairo_move_to(m_cr, kMargin + (right ? kTextWidth / 2 : 0), m_y);
      cairo_show_text(m_cr, text.ToUtf8().c_str());
      right = !right;
    }
  }
  double y() const { return m_y; }

 private:
  cairo_t* m_cr;
  double m_y;
};

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void drawSheet(cairo_t* cr, const DutyCatalogue& catalogue, const DutySelection& selection,
               std::size_t index) {
  const Candidate& c = selection.candidates.at(index);
  const DutyChart chart = buildDutyChart(catalogue, selection, index);
  const ListingTable table = listingTable(catalogue, selection);
  const std::vector<CString>& row = table.rows.at(index);
  const auto cell = [&](const wchar_t* heading) {
    for (std::size_t i = 0; i < table.headings.size(); ++i) {
      if (table.headings[i] == heading) return std::make_pair(CString(heading), row.at(i));
    }
    throw std::logic_error("the listing has no such column");
  };

  Writer w(cr, kMargin);
  w.line(L"风机数据表  " + chart.title, kTitleSize, true);
  for (const CString& line : conditionLines(selection)) w.line(line);

  // The chart, scaled to the text's width.
  const winplat::VectorPicture picture = dutyChartPicture(chart);
  const double scale = kTextWidth / picture.width;
  const double top = w.y() + 8;
  cairo_save(cr);
  cairo_translate(cr, kMargin, top);
  cairo_scale(cr, scale, scale);
  setColour(cr, picture.background);
  cairo_rectangle(cr, 0, 0, picture.width, picture.height);
  cairo_fill(cr);
  for (const PictureItem& item : picture.items) drawItem(cr, item);
  cairo_restore(cr);

  Writer below(cr, top + picture.height * scale);
  below.heading(L"工作点");
  below.pairs({cell(L"型号"), cell(L"机号"), cell(L"传动"), cell(L"转速r/min"),
               cell(L"工作风量m3/h"), cell(L"工作全压Pa"), cell(L"效率%"), cell(L"轴功率kW"),
               cell(L"离峰%"), cell(L"精确转速r/min"), cell(L"数据"), cell(L"备注")});
  below.heading(L"能效与合规");
  below.pairs({cell(L"FEI"), cell(L"能效等级N/目标"), cell(L"SFP级"), cell(L"评估备注")});
  for (const CString& line : assumptionLines(selection)) below.line(line, kBodySize - 1);
  below.heading(L"声学");
  below.pairs({cell(L"LwA dB(A)")});
  if (const auto& sound = c.assessment.sound; sound && sound->bands) {
    CString bands = sound->estimated ? L"倍频程声功率级 (估算) dB: " : L"倍频程声功率级 dB: ";
    for (std::size_t b = 0; b < fanperf::kOctaveBands; ++b) {
      CString one;
      one.Format(L"%g Hz %.0f  ", fanperf::kOctaveCentres[b], (*sound->bands)[b]);
      bands += one;
    }
    below.line(bands);
  } else {
    below.line(L"倍频程声功率级: 样本无数据");
  }
  below.heading(L"电机");
  below.pairs({cell(L"电机kW"), cell(L"电机余量%"), cell(L"电机余量过大")});
}

}  // namespace

std::string dutySheetPdf(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t candidate) {
  std::string bytes;
  cairo_surface_t* surface =
      cairo_pdf_surface_create_for_stream(appendTo, &bytes, kPageWidth, kPageHeight);
  cairo_t* cr = cairo_create(surface);
  drawSheet(cr, catalogue, selection, candidate);
  cairo_show_page(cr);
  const cairo_status_t drawn = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t finished = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (drawn != CAIRO_STATUS_SUCCESS || finished != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(
        cairo_status_to_string(drawn != CAIRO_STATUS_SUCCESS ? drawn : finished));
  }
  return bytes;
}

CString writeDutySheet(const DutyCatalogue& catalogue, const DutySelection& selection,
                       std::size_t candidate, const CString& file) {
  try {
    return writeFileAtomically(file, dutySheetPdf(catalogue, selection, candidate));
  } catch (const std::runtime_error& e) {
    return CString::FromUtf8(e.what());
  }
}

}  // namespace duty
