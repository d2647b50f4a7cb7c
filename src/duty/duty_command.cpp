// The FANDUTY command: prompts, the listing, the CSV and chart files, and the
// FAN dialog opened on the chosen candidate.
#include "duty/duty_command.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cad/aced.h"
#include "db/fan_database.h"
#include "drawings/fan_tags.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_chart.h"
#include "duty/duty_chart_picture.h"
#include "duty/duty_files.h"
#include "duty/duty_listing.h"
#include "duty/duty_selection.h"
#include "duty/duty_sheet.h"
#include "duty/duty_svg.h"
#include "fandlg/fan_dlg_on_model.h"
#include "fanperf/fan_laws.h"
#include "res/module_resources.h"
#include "win/message_box.h"

namespace duty {

namespace {

// Room for a file name typed at a prompt or set on the host's command line.
constexpr size_t kPathChars = 4096;

void printLines(const std::vector<CString>& lines) {
  for (const CString& line : lines) acutPrintf(L"\n%s", static_cast<LPCTSTR>(line));
}

// What a duty and its air can physically be: an answer outside is refused
// with the message and asked for again. The largest fans built move some
// 3·10⁶ m³/h; a fan's pressure rise stays well below an atmosphere (beyond it
// the machine is a compressor); air handled by fans runs from arctic cold to
// the 1000 ℃ of flue gas; the atmosphere from 30 kPa (above the highest
// mountains) to 200 kPa (deepest mines). Within these the density and every
// number derived from it stay in range.
struct Limits {
  double low, high;  // inclusive
  const wchar_t* refusal;
};
constexpr Limits kFlowLimits{0, 1e7, L"\n风量须大于 0 且不超过 10000000 m3/h。"};
constexpr Limits kPressureLimits{0, 1e5, L"\n设计全压须大于 0 且不超过 100000 Pa。"};
constexpr Limits kTemperatureLimits{-100, 1000, L"\n空气温度须在 -100 至 1000℃ 之间。"};
constexpr Limits kAtmPressureLimits{3e4, 2e5, L"\n大气压力须在 30000 至 200000 Pa 之间。"};

// A number within limits; Enter keeps value (where flags allow it). False when
// the user cancelled.
bool askWithin(const wchar_t* prompt, int flags, const Limits& limits, double& value) {
  for (;;) {
    acedInitGet(flags, nullptr);
    double typed = 0;
    const int rc = acedGetReal(prompt, &typed);
    if (rc == RTNONE) return true;
    if (rc != RTNORM) return false;
    if (typed >= limits.low && typed <= limits.high) {
      value = typed;
      return true;
    }
    if (&limits == &kTemperatureLimits && typed <= -fanperf::kZeroCelsius) {
      acutPrintf(L"\n温度须高于绝对零度 (-273.15℃)。");
    } else {
      acutPrintf(L"%s", limits.refusal);
    }
  }
}

// The settings that change the selection, what each may hold, and where it
// goes. The altitude's range is the standard atmosphere's troposphere
// (fanperf/site_air.h); a motor below 50 % efficient is not a fan motor.
struct Setting {
  const wchar_t* name;
  Limits limits;
};
constexpr Setting kAltitude{kAltitudeSetting, {-500, 11000, L"-500 至 11000 m"}};
constexpr Setting kHumidity{kHumiditySetting, {0, 100, L"0 至 100 %"}};
constexpr Setting kFans{kFansSetting, {1, fanperf::kMaxFansInSet, L"1 至 4 的整数"}};
constexpr Setting kMotorEfficiency{kMotorEfficiencySetting, {50, 100, L"50 至 100 %"}};

// The setting's text, trimmed; empty when it is not set.
CString settingText(const wchar_t* name) {
  std::vector<ACHAR> value(kPathChars);
  if (acedGetEnv(name, value.data(), value.size()) != RTNORM) return CString();
  CString text(value.data());
  text.Trim();
  return text;
}

// A numeric setting within its limits: none when unset; false (after saying
// why) when it holds something else.
bool numberSetting(const Setting& s, std::optional<double>& value) {
  const CString text = settingText(s.name);
  if (text.IsEmpty()) return true;
  const std::wstring& t = text.str();
  wchar_t* end = nullptr;
  const double v = std::wcstod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !(v >= s.limits.low && v <= s.limits.high) ||
      (&s == &kFans && v != std::floor(v))) {
    acutPrintf(L"\n设置 %s 的值 '%s' 无效, 须为 %s。", s.name, static_cast<LPCTSTR>(text),
               s.limits.refusal);
    return false;
  }
  value = v;
  return true;
}

// The settings into duty; false when one is invalid, and the command ends
// rather than select for air or fans other than the user set.
bool readSettings(DutyConditions& duty) {
  std::optional<double> humidity, fans, motor;
  if (!numberSetting(kAltitude, duty.altitude) || !numberSetting(kHumidity, humidity) ||
      !numberSetting(kFans, fans) || !numberSetting(kMotorEfficiency, motor)) {
    return false;
  }
  if (humidity) duty.relativeHumidity = *humidity / 100;
  if (fans) duty.fans = static_cast<int>(*fans);
  if (motor) duty.motorEfficiency = *motor / 100;
  const CString arrangement = settingText(kArrangementSetting);
  if (arrangement.CompareNoCase(L"S") == 0 || arrangement == L"串联") {
    duty.arrangement = fanperf::Arrangement::Series;
  } else if (!arrangement.IsEmpty() && arrangement.CompareNoCase(L"P") != 0 &&
             arrangement != L"并联") {
    acutPrintf(L"\n设置 %s 的值 '%s' 无效, 须为 P (并联) 或 S (串联)。", kArrangementSetting,
               static_cast<LPCTSTR>(arrangement));
    return false;
  }
  return true;
}

// The duty recorded on the one placed fan selected before the command, into
// duty; false (duty unchanged) when there is none.
bool selectedFanDuty(DutyConditions& duty) {
  ads_name ss;
  if (acedSSGet(L"I", nullptr, nullptr, nullptr, ss) != RTNORM) return false;
  const std::vector<AcDbObjectId> fans = PlacedFansIn(ss);
  acedSSFree(ss);
  if (fans.size() != 1) return false;
  AcDbObjectPointer<AcDbObject> pFan(fans.front(), AcDb::kForRead);
  const std::optional<FanRecord> record = ReadFanRecord(pFan.object());
  if (!record || !record->flow || !record->pressure) return false;
  duty.flow = *record->flow;
  duty.pressure = *record->pressure;
  return true;
}

// With bOffered, flow and pressure come with duty's values for Enter.
bool askDuty(DutyConditions& duty, bool bOffered) {
  constexpr int kRequiredPositive = RSG_NONULL | RSG_NOZERO | RSG_NONEG;
  CString flowPrompt = L"\n风量m3/h: ", pressurePrompt = L"\n设计全压Pa: ";
  if (bOffered) {
    flowPrompt.Format(L"\n风量m3/h <%g>: ", duty.flow);
    pressurePrompt.Format(L"\n设计全压Pa <%g>: ", duty.pressure);
  }
  const int flags = bOffered ? RSG_NOZERO | RSG_NONEG : kRequiredPositive;
  if (!askWithin(flowPrompt, flags, kFlowLimits, duty.flow) ||
      !askWithin(pressurePrompt, flags, kPressureLimits, duty.pressure) ||
      !askWithin(L"\n空气温度℃ <20>: ", 0, kTemperatureLimits, duty.temperature)) {
    return false;
  }
  if (!duty.altitude) {
    return askWithin(L"\n大气压力Pa <101325>: ", RSG_NOZERO | RSG_NONEG, kAtmPressureLimits,
                     duty.atmPressure);
  }
  // With the site's altitude set, Enter takes the standard atmosphere there;
  // a pressure typed (measured on site) replaces it.
  CString prompt;
  prompt.Format(L"\n大气压力Pa <按海拔 %g m>: ", *duty.altitude);
  double typed = 0;
  if (!askWithin(prompt, RSG_NOZERO | RSG_NONEG, kAtmPressureLimits, typed)) return false;
  if (typed > 0) {
    duty.altitude.reset();
    duty.atmPressure = typed;
  }
  return true;
}

void writeCsv(const DutyCatalogue& catalogue, const DutySelection& selection) {
  std::vector<ACHAR> path(kPathChars);
  if (acedGetEnv(kCsvSetting, path.data(), path.size()) != RTNORM || !path[0]) return;
  const CString file(path.data());
  const CString why = writeFileAtomically(file, csvText(catalogue, selection));
  if (why.IsEmpty()) {
    acutPrintf(L"\n表格已写入 %s", static_cast<LPCTSTR>(absolutePath(file)));
  } else {
    acutPrintf(L"\n无法写入表格文件 %s: %s", static_cast<LPCTSTR>(file), static_cast<LPCTSTR>(why));
  }
}

// A candidate's number, 1 to count, with def for Enter (0: no default).
// Returns RTNORM with the index in *index, or what the prompt returned.
int askCandidate(const wchar_t* prompt, std::size_t count, int def, const wchar_t* keywords,
                 std::size_t* index) {
  for (;;) {
    acedInitGet(RSG_NOZERO | RSG_NONEG, keywords);
    int n = 0;
    int rc = acedGetInt(prompt, &n);
    if (rc == RTNONE && def > 0) {
      n = def;
      rc = RTNORM;
    }
    if (rc != RTNORM) return rc;
    if (static_cast<std::size_t>(n) <= count) {
      *index = static_cast<std::size_t>(n) - 1;
      return RTNORM;
    }
    acutPrintf(L"\n没有第 %d 个候选, 候选为 1 至 %d。", n, static_cast<int>(count));
  }
}

// The file name offered for a candidate's chart, without its extension.
CString defaultChartName(const CatalogueModel& m) {
  CString name = m.bigModel + L"No" + m.fanNo + m.driveMode + L"-" + m.speed;
  // A file name, not a path: separators in catalogue values would name folders.
  name.Replace(L'/', L'_');
  name.Replace(L'\\', L'_');
  return name;
}

bool endsWithPng(const CString& file) {
  const int n = file.GetLength();
  return n >= 4 && file.Mid(n - 4).CompareNoCase(L".png") == 0;
}

// Writes the chart to file: a PNG picture when its name ends in .png (drawn
// by the desktop; the console has nothing to draw with), else SVG. Returns
// "" or why not.
CString writeChartFile(const DutyChart& chart, const CString& file) {
  if (!endsWithPng(file)) return writeFileAtomically(file, dutyChartSvg(chart));
  return CString::FromUtf8(
      winplat::uiService().savePicturePng(dutyChartPicture(chart), file.str()));
}

void writeChart(const DutyCatalogue& catalogue, const DutySelection& selection) {
  std::size_t index = 0;
  if (askCandidate(L"\n图表的候选序号 <1>: ", selection.candidates.size(), 1, nullptr, &index) !=
      RTNORM) {
    return;
  }
  const CString def =
      defaultChartName(catalogue.models[selection.candidates[index].model]) + L".svg";
  std::vector<ACHAR> typed(kPathChars);
  const CString prompt = L"\n图表文件 (.svg 或 .png) <" + def + L">: ";
  if (acedGetString(1, prompt, typed.data(), typed.size()) != RTNORM) return;
  CString file(typed.data());
  file.Trim();
  if (file.IsEmpty()) file = def;
  const CString why = writeChartFile(buildDutyChart(catalogue, selection, index), file);
  if (why.IsEmpty()) {
    acutPrintf(L"\n图表已写入 %s", static_cast<LPCTSTR>(absolutePath(file)));
  } else {
    acutPrintf(L"\n无法写入图表文件 %s: %s", static_cast<LPCTSTR>(file), static_cast<LPCTSTR>(why));
  }
}

// What the placed fan's record keeps of the candidate: the duty asked for and
// the operating point in the actual air.
FanRecord dutyResult(const CatalogueModel& m, const DutySelection& selection, const Candidate& c) {
  FanRecord r;
  r.series = m.bigModel;
  r.fanNo = m.fanNo;
  r.drive = m.driveMode;
  r.speed = m.speed;
  r.flow = selection.duty.flow;
  r.pressure = selection.duty.pressure;
  r.airTemp = selection.duty.temperature;
  r.atmPressure = selection.duty.atmPressure;
  r.pointFlow = c.point.flow;
  r.pointPressure = c.point.pressure;
  r.efficiency = c.efficiency;
  r.shaftPower = c.shaftPower;
  r.motorPower = c.motorPower;
  return r;
}

// The chosen candidate's data sheet, when kSheetSetting names a file.
void writeSheet(const DutyCatalogue& catalogue, const DutySelection& selection,
                std::size_t candidate) {
  const CString file = settingText(kSheetSetting);
  if (file.IsEmpty()) return;
  const CString why =
      writeDutySheet(catalogue, selection, candidate, file,
                     modelSheetExtras(catalogue.models[selection.candidates[candidate].model]));
  if (why.IsEmpty()) {
    acutPrintf(L"\n数据表已写入 %s", static_cast<LPCTSTR>(absolutePath(file)));
  } else {
    acutPrintf(L"\n无法写入数据表文件 %s: %s", static_cast<LPCTSTR>(file),
               static_cast<LPCTSTR>(why));
  }
}

void openFanDialog(const DutyCatalogue& catalogue, const DutySelection& selection,
                   std::size_t candidate) {
  writeSheet(catalogue, selection, candidate);
  const Candidate& c = selection.candidates[candidate];
  const CatalogueModel& m = catalogue.models[c.model];
  ResourceHandleScope scope(ModuleInstanceHandle());
  CFanDlgOnModel dlg(m.bigModel, m.fanNo, m.driveMode, m.speed);
  dlg.SetDutyResult(dutyResult(m, selection, c));
  dlg.DoModal();
  if (!dlg.IsOnModel()) {
    acutPrintf(L"\n风机选型布置对话框中没有型号 %s No.%s %s %s r/min, 样本可能已被修改。",
               static_cast<LPCTSTR>(m.bigModel), static_cast<LPCTSTR>(m.fanNo),
               static_cast<LPCTSTR>(m.driveMode), static_cast<LPCTSTR>(m.speed));
  }
}

// The candidates as a table with their charts, for the desktop's window.
winplat::TableChoice candidateTable(const DutyCatalogue& catalogue,
                                    const DutySelection& selection) {
  winplat::TableChoice t;
  t.title = L"风机工况选型";
  for (const CString& line : conditionLines(selection)) {
    t.heading += (t.heading.empty() ? L"" : L"\n") + line.str();
  }
  const ListingTable table = listingTable(catalogue, selection);
  for (const CString& h : table.headings) t.columns.push_back(h.str());
  t.rightAligned = table.rightAligned;
  for (const auto& row : table.rows) {
    std::vector<std::wstring>& cells = t.rows.emplace_back();
    for (const CString& cell : row) cells.push_back(cell.str());
  }
  // Sorted as numbers: the right-aligned columns and the grade achieved.
  const auto column = [&](const wchar_t* heading) {
    return static_cast<std::size_t>(
        std::find(table.headings.begin(), table.headings.end(), CString(heading)) -
        table.headings.begin());
  };
  t.numeric = table.rightAligned;
  t.numeric.at(column(L"能效等级N/目标")) = true;
  winplat::TableFilter passing{winplat::TableFilter::Kind::Only, L"仅合格", 0, {}};
  for (const Candidate& c : selection.candidates) {
    const auto& compliance = c.assessment.compliance;
    passing.rows.push_back(compliance && compliance->ecodesign && compliance->ecodesign->passes);
  }
  t.filters = {passing,
               {winplat::TableFilter::Kind::Range, L"电机余量%", column(L"电机余量%"), {}},
               {winplat::TableFilter::Kind::AtMost, L"LwA上限 dB(A)", column(L"LwA dB(A)"), {}}};
  for (const Candidate& c : selection.candidates) t.marked.push_back(c.unstable);
  t.markedTip = L"工作点在峰值全压左侧, 运行不稳定";
  t.chooseLabel = L"打开风机选型布置";
  t.picture = [&](std::size_t row) {
    return dutyChartPicture(buildDutyChart(catalogue, selection, row));
  };
  t.savePicture = [&](std::size_t row, const std::wstring& file) {
    return writeChartFile(buildDutyChart(catalogue, selection, row), file.c_str()).str();
  };
  t.rowFile.label = L"数据表 PDF...";
  t.rowFile.extension = L"pdf";
  t.rowFile.write = [&](std::size_t row, const std::wstring& file) {
    const SheetExtras extras =
        modelSheetExtras(catalogue.models[selection.candidates.at(row).model]);
    return writeDutySheet(catalogue, selection, row, file.c_str(), extras).str();
  };
  t.pictureName = [&](std::size_t row) {
    return defaultChartName(catalogue.models[selection.candidates.at(row).model]).str();
  };
  return t;
}

// At the command line: a candidate's number, or C for a chart file.
void chooseCandidate(const DutyCatalogue& catalogue, const DutySelection& selection) {
  for (;;) {
    std::size_t index = 0;
    const int rc = askCandidate(L"\n输入候选序号打开风机选型布置 [图表(C)] <结束>: ",
                                selection.candidates.size(), 0, L"Chart", &index);
    if (rc == RTKWORD) {
      writeChart(catalogue, selection);
      continue;
    }
    if (rc == RTNORM) openFanDialog(catalogue, selection, index);
    return;
  }
}

}  // namespace

}  // namespace duty

void FanDutyCommand() {
  using namespace duty;
  DutyConditions conditions;
  if (!readSettings(conditions)) return;
  const bool bOffered = selectedFanDuty(conditions);
  if (!askDuty(conditions, bOffered)) return;
  // The catalogue read last time, shared rather than copied, while nothing
  // has written to it since.
  std::shared_ptr<const DutyCatalogue> kept;
  {
    CFanDatabase db;
    // A catalogue that cannot be opened has been reported by the wrapper.
    if (!db.OpenFanDatabase()) return;
    try {
      kept = keptDutyCatalogue(db.m_pConnection);
    } catch (const _com_error& e) {
      acutPrintf(L"\n无法读取风机样本的表 Model: %s", e.ErrorMessage());
      return;
    }
  }
  const DutyCatalogue& catalogue = *kept;
  DutySelection selection;
  try {
    selection = selectForDuty(catalogue, conditions);
  } catch (const std::invalid_argument& e) {
    acutPrintf(L"\n设计点或空气参数不成立: %hs", e.what());
    return;
  }
  printLines(conditionLines(selection));
  printLines(tableLines(catalogue, selection));
  printLines(noteLines(catalogue, selection));
  printLines(assumptionLines(selection));
  writeCsv(catalogue, selection);
  if (!selection.candidates.empty()) {
    using Outcome = winplat::TableChoiceResult::Outcome;
    const winplat::TableChoiceResult shown =
        winplat::uiService().chooseFromTable(candidateTable(catalogue, selection));
    if (shown.outcome == Outcome::NotShown) {
      chooseCandidate(catalogue, selection);
    } else if (shown.outcome == Outcome::Chosen && shown.row < selection.candidates.size()) {
      openFanDialog(catalogue, selection, shown.row);
    }
  }
  acutPrintf(L"\n");
}
