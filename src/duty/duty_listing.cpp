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
    {L"序号", true},
    {L"型号", false},
    {L"机号", false},
    {L"传动", false},
    {L"转速r/min", true},
    {L"工作风量m3/h", true},
    {L"工作全压Pa", true},
    {L"效率%", true},
    {L"轴功率kW", true},
    {L"电机kW", true},
    {L"电机余量%", true},
    {L"离峰%", true},
    {L"精确转速r/min", true},
    {L"数据", false},
    {L"备注", false},
    // The assessment (duty_selection.h), after the selection's own columns.
    {L"FEI", true},
    {L"能效等级N/目标", false},
    {L"SFP级", true},
    {L"LwA dB(A)", true},
    {L"电机余量过大", false},
    {L"评估备注", false},
};

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

// Columns of a set of several fans only, after the others: each fan's point.
const Column kSetColumns[] = {{L"单台风量m3/h", true}, {L"单台全压Pa", true}};

CString ecodesignText(const fanperf::EcodesignGrade& g) {
  return fixed(g.achievedGrade, 1) + L"/" + general(g.requiredGrade) +
         (g.passes ? L" 合格" : L" 不合格");
}

CString soundText(const fanperf::SoundAtPoint& sound) {
  return fixed(sound.lwa, 0) + (sound.estimated ? L" 估算" : L"");
}

// Yes or no for a motor margin past kAbsurdMotorMargin; none without a margin.
CString oversizedMotor(double margin) { return margin > kAbsurdMotorMargin ? L"是" : L"否"; }

// Why an assessment's value is missing, and the set's warning.
CString assessmentNotes(const Candidate& c) {
  const Assessment& a = c.assessment;
  std::vector<CString> parts;
  if (c.unstableSharing) parts.push_back(L"并联风机在峰值左侧, 可能分配不均或喘振");
  if (c.motorMargin && *c.motorMargin > kAbsurdMotorMargin) {
    parts.push_back(L"电机余量 " + signedPercent(*c.motorMargin) + L"% 过大, 请核对");
  }
  if (!a.complianceProblem.empty()) parts.push_back(a.complianceProblem.c_str());
  if (a.compliance && !a.compliance->ecodesign) {
    parts.push_back(L"电输入功率 " + fixed(a.compliance->electrical.power, 2) +
                    L" kW 不在能效法规的范围或类别内, 无能效等级");
  }
  if (!a.soundProblem.empty()) parts.push_back(a.soundProblem.c_str());
  CString text;
  for (const CString& p : parts) {
    if (!text.IsEmpty()) text += L"; ";
    text += p;
  }
  // Cells are split on runs of blanks: a reason keeps single blanks only.
  while (text.Replace(L"  ", L" ") > 0) {
  }
  return text;
}

// The texts of one row; empty where there is no value.
std::vector<CString> cells(const DutyCatalogue& catalogue, const Candidate& c, std::size_t rank,
                           int fans) {
  const CatalogueModel& m = catalogue.models[c.model];
  const Assessment& a = c.assessment;
  const fanperf::Compliance* comp = a.compliance ? &*a.compliance : nullptr;
  std::vector<CString> row = {
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
      comp ? fixed(comp->fei.index, 2) : CString(),
      comp && comp->ecodesign ? ecodesignText(*comp->ecodesign) : CString(),
      a.sfpClass ? fixed(*a.sfpClass, 0) : CString(),
      a.sound ? soundText(*a.sound) : CString(),
      optionalText(c.motorMargin, oversizedMotor),
      assessmentNotes(c),
  };
  if (fans > 1) {
    row.push_back(fixed(c.eachFan.flow, 0));
    row.push_back(fixed(c.eachFan.pressure, 0));
  }
  return row;
}

// The columns of a selection's table.
std::vector<Column> columnsOf(const DutySelection& s) {
  std::vector<Column> columns(std::begin(kColumns), std::end(kColumns));
  if (s.duty.fans > 1)
    columns.insert(columns.end(), std::begin(kSetColumns), std::end(kSetColumns));
  return columns;
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
  // Today's line when the air is given by its pressure and taken as dry.
  CString air = general(s.duty.temperature) + L" ℃, ";
  if (s.air.pressureSource == fanperf::PressureSource::Altitude) {
    air += L"海拔 " + general(*s.duty.altitude) + L" m (标准大气 " + fixed(s.air.pressure, 0) +
           L" Pa)";
  } else {
    air += general(s.duty.atmPressure) + L" Pa";
  }
  if (s.duty.relativeHumidity) {
    air += L", 相对湿度 " + general(100 * *s.duty.relativeHumidity) + L"%";
  }
  std::vector<CString> lines = {
      L"设计点: 风量 " + general(s.duty.flow) + L" m3/h, 全压 " + general(s.duty.pressure) + L" Pa",
      L"空气: " + air + L", 密度 " + fixed(s.density, 3) + L" kg/m3 (样本数据按 " +
          general(s.catalogueDensity) + L" kg/m3, 全压和功率按密度换算)",
  };
  if (s.duty.fans > 1) {
    const bool parallel = s.duty.arrangement == fanperf::Arrangement::Parallel;
    lines.push_back(L"风机组: " + fixed(s.duty.fans, 0) + (parallel ? L" 台并联" : L" 台串联") +
                    L", 工作点、轴功率、电机功率和声功率为整组的, 效率、FEI 和能效等级为单台的");
  }
  return lines;
}

std::vector<CString> assumptionLines(const DutySelection& s) {
  if (s.candidates.empty()) return {};
  std::vector<CString> lines = {L"评估的假设:"};
  if (s.duty.motorEfficiency) {
    lines.push_back(L"  电机效率: 设置 FANDUTYMOTOREFF 给出的 " +
                    fixed(100 * *s.duty.motorEfficiency, 1) + L"%");
  } else {
    lines.push_back(
        L"  电机效率: IE3 最低效率 (IEC 60034-30, 4 极 50 Hz, 满载), "
        L"取能带动负载的最小功率等级 (表中 0.75 至 7.5 kW; 更大的按 AMCA 208 的 IE3 拟合曲线)");
  }
  lines.push_back(L"  传动损失: 直联无损失; 皮带传动 (B、C、E) 按 AMCA 207 的 V 带效率");
  lines.push_back(L"  能效类别: 带蜗壳的后向离心风机, 全压效率, 在工作点判定");
  // The rules' own words, each once: they name the FEI basis, the
  // regulation's edition and the SFP bounds.
  std::vector<std::string> seen;
  std::vector<std::string> methods;
  for (const Candidate& c : s.candidates) {
    if (const auto& comp = c.assessment.compliance) {
      for (const std::string& a : comp->assumptions) {
        const bool rule =
            a.rfind("FEI:", 0) == 0 || a.rfind("SFP:", 0) == 0 || a.rfind("ecodesign:", 0) == 0;
        if (rule && std::find(seen.begin(), seen.end(), a) == seen.end()) seen.push_back(a);
      }
    }
    if (const auto& sound = c.assessment.sound) {
      if (std::find(methods.begin(), methods.end(), sound->method) == methods.end()) {
        methods.push_back(sound->method);
      }
    }
  }
  for (const std::string& a : seen) lines.push_back(L"  " + CString::FromUtf8(a));
  for (const std::string& m : methods) {
    if (m.rfind("estimated", 0) == 0) {
      lines.push_back(L"  声功率: " + CString::FromUtf8(m) + L"; p 取全压 (样本无静压和声学数据)");
    } else {
      lines.push_back(
          L"  声功率: 样本的声功率, 曲线取工作风量两侧相邻两点按风量线性插值 "
          L"(超出样本点取最近点), 范围取所在行的值; " +
          CString::FromUtf8(m));
    }
  }
  return lines;
}

ListingTable listingTable(const DutyCatalogue& catalogue, const DutySelection& s) {
  ListingTable t;
  for (const Column& c : columnsOf(s)) {
    t.headings.push_back(c.heading);
    t.rightAligned.push_back(c.rightAligned);
  }
  for (std::size_t i = 0; i < s.candidates.size(); ++i) {
    t.rows.push_back(cells(catalogue, s.candidates[i], i + 1, s.duty.fans));
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
  const std::size_t columns = table.headings.size();
  std::vector<int> widths(columns, 0);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < columns; ++c) {
      widths[c] = std::max(widths[c], displayWidth(row[c].str()));
    }
  }
  std::vector<CString> lines = {L"能达到设计点的风机 " +
                                fixed(static_cast<double>(s.candidates.size()), 0) + L" 个 (" +
                                oversizeRange() + L"), 按工作点效率排列:"};
  for (const auto& row : rows) {
    CString line;
    for (std::size_t c = 0; c < columns; ++c) {
      if (c) line += L"  ";
      line += padded(row[c], widths[c], table.rightAligned[c]);
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
  const std::vector<Column> columns = columnsOf(s);
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c) text += L",";
    text += columns[c].heading;
  }
  text += L"\r\n";
  for (std::size_t i = 0; i < s.candidates.size(); ++i) {
    const std::vector<CString> row = cells(catalogue, s.candidates[i], i + 1, s.duty.fans);
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c) text += L",";
      text += csvField(row[c]);
    }
    text += L"\r\n";
  }
  return text.ToUtf8();
}

}  // namespace duty
