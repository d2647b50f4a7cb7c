// The table of candidates: cells, alignment, notes, and the CSV form.
#include "duty/duty_listing.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/text_width.h"

namespace duty {

namespace {

struct Column {
  const wchar_t* heading;
  bool rightAligned;
};

// The table's columns, in order; cells() fills a row in the same order.
const Column kColumns[] = {
    {L"序号", true},          {L"型号", false},        {L"机号", false},      {L"传动", false},
    {L"转速r/min", true},     {L"工作风量m3/h", true}, {L"工作全压Pa", true}, {L"效率%", true},
    {L"轴功率kW", true},      {L"电机kW", true},       {L"电机余量%", true},  {L"离峰%", true},
    {L"精确转速r/min", true}, {L"数据", false},        {L"备注", false},
};
constexpr std::size_t kColumnCount = std::size(kColumns);

// Numbers are formatted into a string of their own length: a catalogue may
// hold values of any size, and %f writes every digit of one (309 before the
// point for the largest double).
CString fixed(double v, int decimals) {
  // A value that rounds to zero is shown without a sign.
  if (std::abs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;
  CString text;
  text.Format(L"%.*f", decimals, v);
  return text;
}

CString signedPercent(double fraction) {
  const CString t = fixed(fraction * 100, 0);
  return t[0] == L'-' || t == L"0" ? t : L"+" + t;
}

CString general(double v) {
  CString text;
  text.Format(L"%g", v);
  return text;
}

CString optionalText(const std::optional<double>& v, CString (*format)(double)) {
  return v ? format(*v) : CString();
}

CString notes(const Candidate& c) {
  std::vector<const wchar_t*> parts;
  if (c.unstable) parts.push_back(L"不稳定");
  if (c.motorMargin && *c.motorMargin < 0) parts.push_back(L"电机功率不足");
  if (!c.efficiency) parts.push_back(L"无效率");
  if (!c.shaftPower) parts.push_back(L"无轴功率");
  if (!c.motorPower) parts.push_back(L"无电机功率");
  CString text;
  for (const wchar_t* p : parts) {
    if (!text.IsEmpty()) text += L",";
    text += p;
  }
  return text;
}

// The texts of one row; empty where there is no value.
std::vector<CString> cells(const DutyCatalogue& catalogue, const Candidate& c, std::size_t rank) {
  const CatalogueModel& m = catalogue.models[c.model];
  return {
      fixed(static_cast<double>(rank), 0),
      m.bigModel,
      m.fanNo,
      m.driveMode,
      m.speed,
      fixed(c.point.flow, 0),
      fixed(c.point.pressure, 0),
      c.efficiency ? fixed(*c.efficiency, 1) : CString(),
      c.shaftPower ? fixed(*c.shaftPower, 2) : CString(),
      optionalText(c.motorPower, general),
      optionalText(c.motorMargin, signedPercent),
      optionalText(c.peakDistance, signedPercent),
      c.exactSpeed ? fixed(*c.exactSpeed, 0) : CString(),
      c.kind == CandidateKind::Curve ? L"曲线" : L"范围",
      notes(c),
  };
}

CString padded(const CString& text, int width, bool right) {
  const std::wstring fill(static_cast<std::size_t>(std::max(0, width - displayWidth(text.str()))),
                          L' ');
  return right ? CString(fill.c_str()) + text : text + fill.c_str();
}

CString csvField(const CString& text) {
  if (text.FindOneOf(L",\"\r\n") < 0) return text;
  CString quoted = text;
  quoted.Replace(L"\"", L"\"\"");
  return L"\"" + quoted + L"\"";
}

CString oversizeRange() {
  return L"工作风量为设计风量的 100% 至 " + fixed(100 * (1 + kMaxOversize), 0) + L"%";
}

}  // namespace

int displayWidth(const std::wstring& text) { return zrbase::displayColumns(text); }

std::vector<CString> conditionLines(const DutySelection& s) {
  return {
      L"设计点: 风量 " + general(s.duty.flow) + L" m3/h, 全压 " + general(s.duty.pressure) + L" Pa",
      L"空气: " + general(s.duty.temperature) + L" ℃, " + general(s.duty.atmPressure) +
          L" Pa, 密度 " + fixed(s.density, 3) + L" kg/m3 (样本数据按 " +
          general(s.catalogueDensity) + L" kg/m3, 全压和功率按密度换算)",
  };
}

ListingTable listingTable(const DutyCatalogue& catalogue, const DutySelection& s) {
  ListingTable t;
  for (const Column& c : kColumns) {
    t.headings.push_back(c.heading);
    t.rightAligned.push_back(c.rightAligned);
  }
  for (std::size_t i = 0; i < s.candidates.size(); ++i) {
    t.rows.push_back(cells(catalogue, s.candidates[i], i + 1));
    for (CString& cell : t.rows.back()) {
      if (cell.IsEmpty()) cell = L"-";
    }
  }
  return t;
}

std::vector<CString> tableLines(const DutyCatalogue& catalogue, const DutySelection& s) {
  if (s.candidates.empty()) {
    return {L"没有风机能达到设计点 (" + oversizeRange() + L")。"};
  }
  ListingTable table = listingTable(catalogue, s);
  std::vector<std::vector<CString>> rows{table.headings};
  for (auto& row : table.rows) rows.push_back(std::move(row));
  int widths[kColumnCount] = {};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      widths[c] = std::max(widths[c], displayWidth(row[c].str()));
    }
  }
  std::vector<CString> lines = {L"能达到设计点的风机 " +
                                fixed(static_cast<double>(s.candidates.size()), 0) + L" 个 (" +
                                oversizeRange() + L"), 按工作点效率排列:"};
  for (const auto& row : rows) {
    CString line;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
      if (c) line += L"  ";
      line += padded(row[c], widths[c], kColumns[c].rightAligned);
    }
    line.TrimRight();
    lines.push_back(line);
  }
  return lines;
}

std::vector<CString> noteLines(const DutyCatalogue& catalogue, const DutySelection& s) {
  std::vector<CString> lines;
  if (!catalogue.densityProblem.IsEmpty()) {
    lines.push_back(catalogue.densityProblem + L", 按 1.2 kg/m3 计算。");
  }
  for (const CatalogueSeries& series : catalogue.series) {
    if (!series.problem.IsEmpty()) {
      lines.push_back(L"系列 " + series.name + L": " + series.problem + L", 未参加选型。");
    }
  }
  if (s.modelsWithoutRows > 0) {
    lines.push_back(fixed(s.modelsWithoutRows, 0) +
                    L" 个型号的性能数据不能构成曲线或范围, 未参加选型。");
  }
  if (catalogue.incompleteModels > 0) {
    lines.push_back(L"表 Model 中有 " + fixed(catalogue.incompleteModels, 0) +
                    L" 行缺少编号、型号、机号、传动方式或转速, 未参加选型。");
  }
  std::vector<std::size_t> listed;
  for (const Candidate& c : s.candidates) {
    const std::size_t series = catalogue.models[c.model].series;
    if (std::find(listed.begin(), listed.end(), series) != listed.end()) continue;
    listed.push_back(series);
    const PerformanceColumns& cols = catalogue.series[series].columns;
    CString lacks;
    for (const auto& [name, what] :
         {std::pair{cols.efficiency, L"效率"}, std::pair{cols.shaftPower, L"轴功率"},
          std::pair{cols.motorPower, L"电机功率"}}) {
      if (!name.IsEmpty()) continue;
      if (!lacks.IsEmpty()) lacks += L"、";
      lacks += what;
    }
    if (lacks.IsEmpty()) continue;
    lines.push_back(L"系列 " + catalogue.series[series].name + L" 的参数表没有" + lacks + L"列" +
                    (cols.efficiency.IsEmpty() ? L", 排在有效率的型号之后。" : L"。"));
  }
  return lines;
}

std::string csvText(const DutyCatalogue& catalogue, const DutySelection& s) {
  CString text = L"\xFEFF";
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    if (c) text += L",";
    text += kColumns[c].heading;
  }
  text += L"\r\n";
  for (std::size_t i = 0; i < s.candidates.size(); ++i) {
    const std::vector<CString> row = cells(catalogue, s.candidates[i], i + 1);
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) text += L",";
      text += csvField(row[c]);
    }
    text += L"\r\n";
  }
  return text.ToUtf8();
}

}  // namespace duty
