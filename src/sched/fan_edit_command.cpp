// FANEDIT: the fan chosen, what the drawing says of it, and the FAN dialog
// opened on it in its editing mode.
#include "sched/fan_edit_command.h"

#include "cad/aced.h"
#include "db/catalogue_statements.h"
#include "db/fan_database.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "drawings/fan_tags.h"
#include "fandlg/fan_dlg_on_model.h"
#include "res/module_resources.h"

namespace {

std::vector<sched::ModelKey> catalogueModels() {
  std::vector<sched::ModelKey> models;
  CFanDatabase db;
  if (!db.OpenFanDatabase()) return models;
  _RecordsetPtr pRecordset = ProbeAndOpen(db, SqlAllModels());
  if (pRecordset == nullptr) return models;
  for (; !pRecordset->GetadoEOF(); pRecordset->MoveNext()) {
    models.push_back({FieldText(pRecordset->GetCollect(L"BigModel")),
                      FieldText(pRecordset->GetCollect(L"FanNo")),
                      FieldText(pRecordset->GetCollect(L"DriveMode")),
                      FieldText(pRecordset->GetCollect(L"Speed"))});
  }
  pRecordset->Close();
  return models;
}

}  // namespace

std::optional<sched::ModelKey> ModelOfEntry(const CString& entry,
                                            const std::vector<sched::ModelKey>& catalogue) {
  for (const sched::ModelKey& m : catalogue) {
    if (ModelLabel(ViewDrawingBaseName(m.series, m.fanNo, m.drive), m.speed) == entry) return m;
  }
  return sched::ParseModelEntry(entry);
}

PlacedView ViewOfPlacedFan(const CString& blockName, const CString& plan) {
  if (const std::optional<PlacedView> view = ViewOfPlacedBlock(blockName)) return *view;
  return PlacedView{plan == L"0" ? kViewDrawingFront : kViewDrawingSide, kLeftHand, L"0"};
}

void FanEditCommand() {
  const std::optional<AcDbObjectId> id = ChoosePlacedFan(L"选择要修改的风机: ");
  if (!id) return;
  const PlacedFanFacts fan = ReadPlacedFan(*id);
  sched::ModelKey model;
  if (fan.record && !fan.record->series.IsEmpty()) {
    model = {fan.record->series, fan.record->fanNo, fan.record->drive, fan.record->speed};
  } else {
    model = ModelOfEntry(fan.modelEntry, catalogueModels()).value_or(sched::ModelKey{});
  }
  ResourceHandleScope scope(ModuleInstanceHandle());
  CFanDlgOnModel dlg(model.series, model.fanNo, model.drive, model.speed);
  dlg.SetView(ViewOfPlacedFan(fan.blockName, fan.plan));
  if (fan.record && fan.record->flow && fan.record->pressure) {
    dlg.m_dFlux = *fan.record->flow;
    dlg.m_dAllPress = *fan.record->pressure;
    dlg.m_dAirTemp = fan.record->airTemp.value_or(dlg.m_dAirTemp);
    dlg.m_dAtmPressure = fan.record->atmPressure.value_or(dlg.m_dAtmPressure);
  }
  dlg.SetFanToReplace(*id, fan.record);
  dlg.DoModal();
  if (!dlg.IsOnModel()) {
    acutPrintf(L"\n风机选型布置对话框中没有型号 %s No.%s %s %s r/min, 样本可能已被修改。",
               static_cast<LPCTSTR>(model.series), static_cast<LPCTSTR>(model.fanNo),
               static_cast<LPCTSTR>(model.drive), static_cast<LPCTSTR>(model.speed));
  }
}
