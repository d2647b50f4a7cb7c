// FANSHEET: the fan chosen, its model and duty found, the file asked for and
// the sheet written.
#include "sched/fan_sheet_command.h"

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "base/file_functions.h"
#include "cad/aced.h"
#include "db/fan_database.h"
#include "drawings/fan_tags.h"
#include "duty/duty_files.h"
#include "duty/duty_selection.h"
#include "duty/duty_sheet.h"
#include "sched/fan_edit_command.h"

namespace {

constexpr size_t kPathChars = 4096;

// The default file: NAME.pdf in the drawing's folder, or the current one.
CString defaultSheetFile(AcDbDatabase* pDb, const CString& name) {
  const ACHAR* drawing = nullptr;
  std::filesystem::path folder;
  if (pDb->getFilename(drawing) == Acad::eOk && drawing != nullptr && *drawing != 0) {
    folder = std::filesystem::path(zrbase::nativePath(drawing)).parent_path();
  }
  CString file = name;
  // A tag may hold what a file name cannot.
  for (const wchar_t bad : {L'/', L'\\', L':', L'*', L'?', L'"', L'<', L'>', L'|'}) {
    file.Replace(CString(bad), L"_");
  }
  file += L".pdf";
  if (folder.empty()) return file;
  return CString::FromUtf8((folder / zrbase::nativePath(file.str())).string());
}

CString number(double v) {
  CString text;
  text.Format(L"%.0f", v);
  return text;
}

}  // namespace

std::optional<std::pair<double, double>> RatedDuty(const duty::CatalogueModel& model) {
  const duty::PerformanceRow* best = nullptr;
  for (const duty::PerformanceRow& r : model.rows) {
    if (!best || r.efficiency.value_or(-1) > best->efficiency.value_or(-1)) best = &r;
  }
  if (best == nullptr) return std::nullopt;
  const auto middle = [](const std::optional<double>& v, const std::optional<double>& low,
                         const std::optional<double>& high) -> std::optional<double> {
    if (v) return v;
    if (low && high) return (*low + *high) / 2;
    return std::nullopt;
  };
  const std::optional<double> flow = middle(best->flow, best->flowLow, best->flowHigh);
  const std::optional<double> pressure =
      middle(best->pressure, best->pressureLow, best->pressureHigh);
  if (!flow || !pressure) return std::nullopt;
  return std::pair{*flow, *pressure};
}

void FanSheetCommand() {
  AcDbDatabase* pDb = acdbHostApplicationServices()->workingDatabase();
  if (pDb == nullptr) return;
  const std::optional<AcDbObjectId> id = ChoosePlacedFan(L"选择要输出数据表的风机: ");
  if (!id) return;
  const PlacedFanFacts fan = ReadPlacedFan(*id);

  CFanDatabase db;
  // A catalogue that cannot be opened has been reported by the wrapper.
  if (!db.OpenFanDatabase()) return;
  duty::DutyCatalogue catalogue;
  try {
    catalogue = duty::readDutyCatalogue(db.m_pConnection);
  } catch (const _com_error& e) {
    acutPrintf(L"\n无法读取风机样本的表 Model: %s", e.ErrorMessage());
    return;
  }
  sched::ModelKey key;
  if (fan.record && !fan.record->series.IsEmpty()) {
    key = {fan.record->series, fan.record->fanNo, fan.record->drive, fan.record->speed};
  } else {
    std::vector<sched::ModelKey> models;
    for (const duty::CatalogueModel& m : catalogue.models) {
      models.push_back({m.bigModel, m.fanNo, m.driveMode, m.speed});
    }
    key = ModelOfEntry(fan.modelEntry, models).value_or(sched::ModelKey{});
  }
  const duty::CatalogueModel* model = nullptr;
  for (const duty::CatalogueModel& m : catalogue.models) {
    if (sched::ModelKey{m.bigModel, m.fanNo, m.driveMode, m.speed} == key) model = &m;
  }
  if (model == nullptr) {
    acutPrintf(L"\n样本中没有型号 %s No.%s %s %s r/min (%s), 未写入数据表。\n",
               static_cast<LPCTSTR>(key.series), static_cast<LPCTSTR>(key.fanNo),
               static_cast<LPCTSTR>(key.drive), static_cast<LPCTSTR>(key.speed),
               static_cast<LPCTSTR>(fan.modelEntry));
    return;
  }

  // The model alone, as FANSCHED computes a recorded duty.
  duty::DutyCatalogue one;
  one.density = catalogue.density;
  one.series.push_back(catalogue.series[model->series]);
  one.models.push_back(*model);
  one.models.back().series = 0;

  duty::SheetExtras extras;
  extras.tag = fan.record ? fan.record->tag : CString();
  duty::DutySelection selection;
  const auto select = [&](const duty::DutyConditions& conditions) {
    try {
      selection = duty::selectForDuty(one, conditions);
    } catch (const std::invalid_argument&) {
      selection = {};
    }
    return !selection.candidates.empty();
  };
  bool selected = false;
  if (fan.record && fan.record->flow && fan.record->pressure) {
    duty::DutyConditions recorded;
    recorded.flow = *fan.record->flow;
    recorded.pressure = *fan.record->pressure;
    recorded.temperature = fan.record->airTemp.value_or(recorded.temperature);
    recorded.atmPressure = fan.record->atmPressure.value_or(recorded.atmPressure);
    selected = select(recorded);
    extras.notes.push_back(selected ? CString(L"工况: 图中风机记录的设计点")
                                    : L"图中风机记录的设计点 (风量 " + number(recorded.flow) +
                                          L" m3/h, 全压 " + number(recorded.pressure) +
                                          L" Pa) 本型号达不到, 以下为样本额定点");
  } else {
    extras.notes.push_back(L"工况: 图中风机没有记录设计点, 以下为样本额定点 (效率最高的一行)");
  }
  if (!selected) {
    const std::optional<std::pair<double, double>> rated = RatedDuty(*model);
    duty::DutyConditions conditions;
    if (rated) {
      conditions.flow = rated->first;
      conditions.pressure = rated->second;
    }
    if (!rated || !select(conditions)) {
      acutPrintf(L"\n样本中型号 %s 没有可用的性能数据, 未写入数据表。\n",
                 static_cast<LPCTSTR>(model->labelModel));
      return;
    }
  }
  extras.accessories =
      duty::readAccessories(db.m_pConnection, model->bigModel, model->driveMode, model->id);
  extras.outline = duty::blockOutline(fan.block);

  const CString name = !extras.tag.IsEmpty()  ? extras.tag
                       : !fan.label.IsEmpty() ? fan.label
                                              : model->labelModel;
  const CString def = defaultSheetFile(pDb, name);
  std::vector<ACHAR> typed(kPathChars);
  const CString prompt = L"\n数据表文件 <" + def + L">: ";
  if (acedGetString(1, prompt, typed.data(), typed.size()) != RTNORM) return;
  CString file(typed.data());
  file.Trim();
  if (file.IsEmpty()) file = def;
  if (file.GetLength() < 4 || file.Right(4).CompareNoCase(L".pdf") != 0) file += L".pdf";
  const CString why = duty::writeDutySheet(one, selection, 0, file, extras);
  if (why.IsEmpty()) {
    acutPrintf(L"\n数据表已写入 %s\n", static_cast<LPCTSTR>(duty::absolutePath(file)));
  } else {
    acutPrintf(L"\n无法写入数据表文件 %s: %s\n", static_cast<LPCTSTR>(file),
               static_cast<LPCTSTR>(why));
  }
}
