// The data sheet drawn with cairo: the chart's items, then the sections as
// label and value lines, long lines wrapped to the page.
#include "duty/duty_sheet.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "db/fan_database.h"
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
// The chart takes this share of the text's width; the outline's box the rest.
constexpr double kChartShare = 0.64, kBoxGap = 8;

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
  // A table of cells in columns of the given shares of the text width, its
  // heading row bold and underlined; a cell too wide for its column is cut
  // short with an ellipsis, and rows that would run off the page are counted
  // on one line.
  void table(const std::vector<CString>& headings, const std::vector<std::vector<CString>>& rows,
             const std::vector<double>& shares) {
    const auto row = [&](const std::vector<CString>& cells, bool bold) {
      font(m_cr, kBodySize, bold);
      cairo_set_source_rgb(m_cr, 0, 0, 0);
      m_y += kBodySize * 1.45;
      double x = kMargin;
      for (std::size_t i = 0; i < cells.size() && i < shares.size(); ++i) {
        const double room = shares[i] * kTextWidth - 6;
        std::wstring text = cells[i].str();
        while (text.size() > 1 && textWidth(m_cr, CString(text.c_str()).ToUtf8()) > room) {
          text.erase(text.size() - 2);
          text += L"\u2026";
        }
        cairo_move_to(m_cr, x, m_y);
        cairo_show_text(m_cr, CString(text.c_str()).ToUtf8().c_str());
        x += shares[i] * kTextWidth;
      }
    };
    row(headings, true);
    cairo_set_line_width(m_cr, 0.5);
    cairo_move_to(m_cr, kMargin, m_y + 2.5);
    cairo_line_to(m_cr, kMargin + kTextWidth, m_y + 2.5);
    cairo_stroke(m_cr);
    m_y += 1.5;
    // The page ends at its bottom margin: the rows past it are counted on the
    // last line instead (a catalogue may list any number of accessories).
    const double step = kBodySize * 1.45, bottom = kPageHeight - kMargin;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const std::size_t left = rows.size() - i;
      if (left > 1 && m_y + 2 * step > bottom) {
        CString more;
        more.Format(L"…… 另有 %d 项, 见样本的附件表", static_cast<int>(left));
        line(more);
        return;
      }
      row(rows[i], false);
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

// Text centred on x at baseline y, in the current font.
void centred(cairo_t* cr, const CString& text, double x, double y) {
  const std::string utf8 = text.ToUtf8();
  cairo_move_to(cr, x - textWidth(cr, utf8) / 2, y);
  cairo_show_text(cr, utf8.c_str());
}

// A dimension line from a to b (page points) with closed arrowheads at both
// ends and its figure centred beside it, above a horizontal line and left of a
// vertical one, reading upwards.
void dimension(cairo_t* cr, double ax, double ay, double bx, double by, const CString& figure) {
  const double length = std::hypot(bx - ax, by - ay);
  if (length <= 0) return;
  const double ux = (bx - ax) / length, uy = (by - ay) / length;
  const double arrow = std::min(4.0, length / 3), half = arrow * 0.35;
  cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
  cairo_set_line_width(cr, 0.5);
  cairo_move_to(cr, ax, ay);
  cairo_line_to(cr, bx, by);
  cairo_stroke(cr);
  for (const auto& [px, py, dx, dy] : {std::tuple{ax, ay, ux, uy}, std::tuple{bx, by, -ux, -uy}}) {
    cairo_move_to(cr, px, py);
    cairo_line_to(cr, px + dx * arrow - dy * half, py + dy * arrow + dx * half);
    cairo_line_to(cr, px + dx * arrow + dy * half, py + dy * arrow - dx * half);
    cairo_close_path(cr);
    cairo_fill(cr);
  }
  font(cr, kBodySize - 1);
  cairo_save(cr);
  cairo_translate(cr, (ax + bx) / 2, (ay + by) / 2);
  if (std::fabs(ux) < std::fabs(uy)) cairo_rotate(cr, -M_PI / 2);
  centred(cr, figure, 0, -2);
  cairo_restore(cr);
}

// The outline of the view block drawn to fit the box (x, y, w, h), its
// overall width and height as dimension lines below and left of it; the
// reason there is none, when there is none.
void drawOutlineBox(cairo_t* cr, const std::optional<ViewOutline>& outline, double x, double y,
                    double w, double h) {
  cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
  cairo_set_line_width(cr, 0.6);
  cairo_rectangle(cr, x, y, w, h);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  font(cr, kBodySize, true);
  const bool drawn = outline && outline->problem.IsEmpty() && !outline->strokes.empty();
  centred(cr, drawn ? L"外形  " + outline->block : CString(L"外形"), x + w / 2, y + 12);
  if (!drawn) {
    font(cr, kBodySize - 1);
    const CString why = outline ? outline->problem : CString(L"未读取视图图纸");
    // The reason wrapped a character at a time to the box's width.
    std::wstring rest = why.str();
    double line = y + h / 2 - kBodySize;
    while (!rest.empty()) {
      std::size_t fit = rest.size();
      while (fit > 1 && textWidth(cr, CString(rest.substr(0, fit).c_str()).ToUtf8()) > w - 10) {
        --fit;
      }
      centred(cr, CString(rest.substr(0, fit).c_str()), x + w / 2, line);
      rest.erase(0, fit);
      line += kBodySize * 1.3;
    }
    return;
  }
  const ViewOutline& o = *outline;
  // Room: the heading above, the width's dimension and the figures' line
  // below, the height's dimension on the left.
  const double left = x + 22, right = x + w - 8, top = y + 20, bottom = y + h - 34;
  const double dw = std::max(o.width(), 1e-9), dh = std::max(o.height(), 1e-9);
  const double scale = std::min((right - left) / dw, (bottom - top) / dh);
  const double ox = left + ((right - left) - o.width() * scale) / 2;
  const double oy = top + ((bottom - top) - o.height() * scale) / 2;
  const auto page = [&](const OutlinePoint& p) {
    return std::pair{ox + (p.x - o.low.x) * scale, oy + (o.high.y - p.y) * scale};
  };
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_set_line_width(cr, 0.5);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const std::vector<OutlinePoint>& stroke : o.strokes) {
    for (std::size_t i = 0; i < stroke.size(); ++i) {
      const auto [px, py] = page(stroke[i]);
      (i == 0 ? cairo_move_to : cairo_line_to)(cr, px, py);
    }
    cairo_stroke(cr);
  }
  CString widthText, heightText;
  widthText.Format(L"%.0f", o.width());
  heightText.Format(L"%.0f", o.height());
  const double x0 = ox, x1 = ox + o.width() * scale;
  const double y0 = oy, y1 = oy + o.height() * scale;
  dimension(cr, x0, y1 + 14, x1, y1 + 14, widthText);
  dimension(cr, ox - 10, y1, ox - 10, y0, heightText);
  cairo_set_source_rgb(cr, 0, 0, 0);
  font(cr, kBodySize - 1);
  centred(cr, L"外形尺寸 宽 " + widthText + L" × 高 " + heightText + L" mm", x + w / 2, y + h - 6);
}

void drawAccessories(Writer& w, const std::optional<AccessoryList>& accessories) {
  w.heading(L"附件");
  if (!accessories) {
    w.line(L"未读取样本的附件表");
    return;
  }
  if (!accessories->problem.IsEmpty()) {
    w.line(accessories->problem);
    return;
  }
  if (accessories->items.empty()) {
    w.line(L"样本中没有此型号的附件");
    return;
  }
  std::vector<std::vector<CString>> rows;
  for (const Accessory& a : accessories->items)
    rows.push_back({a.name, a.type, a.quantity, a.remark});
  w.table({L"名称", L"型号规格", L"数量", L"备注"}, rows, {0.18, 0.37, 0.1, 0.35});
}

void drawSheet(cairo_t* cr, const DutyCatalogue& catalogue, const DutySelection& selection,
               std::size_t index, const SheetExtras& extras) {
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
  w.line(L"风机数据表  " + (extras.tag.IsEmpty() ? CString() : extras.tag + L"  ") + chart.title,
         kTitleSize, true);
  for (const CString& line : conditionLines(selection)) w.line(line);
  for (const CString& line : extras.notes) w.line(line);

  // The chart, scaled to its share of the text's width, the outline's box beside it.
  const winplat::VectorPicture picture = dutyChartPicture(chart);
  const double scale = kChartShare * kTextWidth / picture.width;
  const double top = w.y() + 8;
  cairo_save(cr);
  cairo_translate(cr, kMargin, top);
  cairo_scale(cr, scale, scale);
  setColour(cr, picture.background);
  cairo_rectangle(cr, 0, 0, picture.width, picture.height);
  cairo_fill(cr);
  for (const PictureItem& item : picture.items) drawItem(cr, item);
  cairo_restore(cr);
  const double boxLeft = kMargin + kChartShare * kTextWidth + kBoxGap;
  drawOutlineBox(cr, extras.outline, boxLeft, top, kMargin + kTextWidth - boxLeft,
                 picture.height * scale);

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
  drawAccessories(below, extras.accessories);
}

}  // namespace

SheetExtras modelSheetExtras(const CatalogueModel& model) {
  SheetExtras extras;
  CFanDatabase db;
  extras.accessories = readAccessories(db.OpenFanDatabase() ? db.m_pConnection : nullptr,
                                       model.bigModel, model.driveMode, model.id);
  FanView view;
  view.strBigModel = model.bigModel;
  view.strFanNo = model.fanNo;
  view.strDriveMode = model.driveMode;
  view.strSpeed = model.speed;
  view.nView = kViewDrawingFront;
  view.strHand = kLeftHand;
  extras.outline = libraryOutline(view);
  return extras;
}

std::string dutySheetPdf(const DutyCatalogue& catalogue, const DutySelection& selection,
                         std::size_t candidate, const SheetExtras& extras) {
  std::string bytes;
  cairo_surface_t* surface =
      cairo_pdf_surface_create_for_stream(appendTo, &bytes, kPageWidth, kPageHeight);
  cairo_t* cr = cairo_create(surface);
  drawSheet(cr, catalogue, selection, candidate, extras);
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
                       std::size_t candidate, const CString& file, const SheetExtras& extras) {
  try {
    return writeFileAtomically(file, dutySheetPdf(catalogue, selection, candidate, extras));
  } catch (const std::runtime_error& e) {
    return CString::FromUtf8(e.what());
  }
}

}  // namespace duty
