// The FANDUTY command: prompts, the listing, the CSV and chart files, and the
// FAN dialog opened on the chosen candidate.
#include "duty/duty_command.h"

#include <stdexcept>
#include <vector>

#include "cad/aced.h"
#include "db/fan_database.h"
#include "duty/duty_catalogue.h"
#include "duty/duty_chart.h"
#include "duty/duty_files.h"
#include "duty/duty_listing.h"
#include "duty/duty_selection.h"
#include "duty/duty_svg.h"
#include "fandlg/fan_dlg_on_model.h"
#include "fanperf/fan_laws.h"
#include "host/fan_module.h"
#include "host/resource_handle_scope.h"

namespace duty {

namespace {

// Room for a file name typed at a prompt or set on the host's command line.
constexpr size_t kPathChars = 4096;

void printLines(const std::vector<CString>& lines) {
  for (const CString& line : lines) acutPrintf(L"\n%s", static_cast<LPCTSTR>(line));
}

// A required positive number. False when the user cancelled.
bool askPositive(const wchar_t* prompt, double& value) {
  acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
  return acedGetReal(prompt, &value) == RTNORM;
}

// A number with a default for Enter. False when the user cancelled.
bool askWithDefault(const wchar_t* prompt, int flags, double& value) {
  acedInitGet(flags, nullptr);
  double typed = 0;
  const int rc = acedGetReal(prompt, &typed);
  if (rc == RTNORM) value = typed;
  return rc == RTNORM || rc == RTNONE;
}

bool askDuty(DutyConditions& duty) {
  if (!askPositive(L"\n风量m3/h: ", duty.flow)) return false;
  if (!askPositive(L"\n设计全压Pa: ", duty.pressure)) return false;
  for (;;) {
    if (!askWithDefault(L"\n空气温度℃ <20>: ", 0, duty.temperature)) return false;
    if (duty.temperature > -fanperf::kZeroCelsius) break;
    acutPrintf(L"\n温度须高于绝对零度 (-273.15℃)。");
    duty.temperature = 20;
  }
  return askWithDefault(L"\n大气压力Pa <101325>: ", RSG_NOZERO | RSG_NONEG, duty.atmPressure);
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

CString defaultChartName(const CatalogueModel& m) {
  CString name = m.bigModel + L"No" + m.fanNo + m.driveMode + L"-" + m.speed + L".svg";
  // A file name, not a path: separators in catalogue values would name folders.
  name.Replace(L'/', L'_');
  name.Replace(L'\\', L'_');
  return name;
}

void writeChart(const DutyCatalogue& catalogue, const DutySelection& selection) {
  std::size_t index = 0;
  if (askCandidate(L"\n图表的候选序号 <1>: ", selection.candidates.size(), 1, nullptr, &index) !=
      RTNORM) {
    return;
  }
  const CString def = defaultChartName(catalogue.models[selection.candidates[index].model]);
  std::vector<ACHAR> typed(kPathChars);
  const CString prompt = L"\nSVG 文件 <" + def + L">: ";
  if (acedGetString(1, prompt, typed.data(), typed.size()) != RTNORM) return;
  CString file(typed.data());
  file.Trim();
  if (file.IsEmpty()) file = def;
  const CString why =
      writeFileAtomically(file, dutyChartSvg(buildDutyChart(catalogue, selection, index)));
  if (why.IsEmpty()) {
    acutPrintf(L"\n图表已写入 %s", static_cast<LPCTSTR>(absolutePath(file)));
  } else {
    acutPrintf(L"\n无法写入图表文件 %s: %s", static_cast<LPCTSTR>(file), static_cast<LPCTSTR>(why));
  }
}

void openFanDialog(const CatalogueModel& m) {
  ResourceHandleScope scope(ModuleInstanceHandle());
  CFanDlgOnModel dlg(m.bigModel, m.fanNo, m.driveMode, m.speed);
  dlg.DoModal();
  if (!dlg.IsOnModel()) {
    acutPrintf(L"\n风机选型布置对话框中没有型号 %s No.%s %s %s r/min, 样本可能已被修改。",
               static_cast<LPCTSTR>(m.bigModel), static_cast<LPCTSTR>(m.fanNo),
               static_cast<LPCTSTR>(m.driveMode), static_cast<LPCTSTR>(m.speed));
  }
}

void chooseCandidate(const DutyCatalogue& catalogue, const DutySelection& selection) {
  for (;;) {
    std::size_t index = 0;
    const int rc = askCandidate(L"\n输入候选序号打开风机选型布置 [图表(C)] <结束>: ",
                                selection.candidates.size(), 0, L"Chart", &index);
    if (rc == RTKWORD) {
      writeChart(catalogue, selection);
      continue;
    }
    if (rc == RTNORM) openFanDialog(catalogue.models[selection.candidates[index].model]);
    return;
  }
}

}  // namespace

}  // namespace duty

void FanDutyCommand() {
  using namespace duty;
  DutyConditions conditions;
  if (!askDuty(conditions)) return;
  DutyCatalogue catalogue;
  {
    CFanDatabase db;
    // A catalogue that cannot be opened has been reported by the wrapper.
    if (!db.OpenFanDatabase()) return;
    try {
      catalogue = readDutyCatalogue(db.m_pConnection);
    } catch (const _com_error& e) {
      acutPrintf(L"\n无法读取风机样本的表 Model: %s", e.ErrorMessage());
      return;
    }
  }
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
  writeCsv(catalogue, selection);
  if (!selection.candidates.empty()) chooseCandidate(catalogue, selection);
  acutPrintf(L"\n");
}
