// Placing a fan: the dialog steps aside while a CFanPlacement
// (drawings/fan_placement.h) copies the view block in, asks for the rotation
// and point and places the reference; the reference is then tagged with the
// model's extended data. Editing a placed fan replaces it in place instead.
#include "cad/aced.h"
#include "cadkit/xdata.h"
#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "drawings/fan_placement.h"
#include "drawings/fan_tags.h"
#include "fandlg/fan_dlg.h"
#include "uikit/folders.h"

namespace {

constexpr const ACHAR* kFanName = L"离心式风机";
constexpr const ACHAR* kFanType = L"FAN";

}  // namespace

bool CFanDlg::MakeEquipmentLayerCurrent(AcDbDatabase* pDb, AcDbObjectId& oldLayer) {
  return ::MakeEquipmentLayerCurrent(pDb, oldLayer);
}

FanView CFanDlg::CurrentFanView() const {
  return FanView{m_strBigModel, m_strFanNo, m_strDriveMode, m_strSpeed,
                 m_nView,       m_strHand,  m_strAngle};
}

void CFanDlg::OnPlaceFan() {
  const FanView fan = CurrentFanView();
  // Others may read the file while it is read, but not write it.
  AcDbDatabase* pViewDb = m_ViewDrawings.Get(fan.DwgPath(), _SH_DENYWR);
  if (pViewDb == nullptr) return;
  if (!m_FanToReplace.isNull()) {
    ReplaceFan(pViewDb, fan);
    return;
  }
  CFanPlacement placement;
  if (!placement.Prepare(pViewDb, fan)) return;
  BeginEditorCommand();
  if (!placement.Insert().isNull()) TagPlacedFan();
  CompleteEditorCommand(TRUE);
}

void CFanDlg::ReplaceFan(AcDbDatabase* pViewDb, const FanView& fan) {
  if (!ReplacePlacedBlock(pViewDb, fan, m_FanToReplace)) return;
  TagPlacementXdata(m_FanToReplace);
  TagEditedFan(m_FanToReplace, EditedFanRecord(m_ReplacedRecord, PlacedFanRecord()));
  EndDialog(IDOK);
}

void CFanDlg::TagPlacedFan() {
  ads_name last;
  AcDbObjectId id;
  if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk || id.isNull()) {
    return;
  }
  TagPlacementXdata(id);
  TagNewFan(id, PlacedFanRecord());
}

void CFanDlg::TagPlacementXdata(AcDbObjectId id) {
  SetXdata(id, L"Model", ModelLabel(GetFanBaseName(), m_strSpeed));

  _RecordsetPtr pRecordset =
      ProbeAndOpen(m_FanDb, SqlPlacedModel(m_strBigModel, m_strDriveMode, m_strFanNo, m_strSpeed));
  if (pRecordset == nullptr) return;
  const bool bEmpty = pRecordset->GetBOF() || pRecordset->GetadoEOF();
  if (!bEmpty) SetXdata(id, L"LabelModel", FieldText(pRecordset->GetCollect(L"LabelModel")));
  pRecordset->Close();
  if (bEmpty) return;

  CString strPlan;
  strPlan.Format(L"%d", m_nView);
  SetXdata(id, L"PLAN", strPlan);
  SetXdata(id, L"NAME", kFanName);
  SetXdata(id, L"VACType", kFanType);
}

FanRecord CFanDlg::PlacedFanRecord() const {
  FanRecord record;
  record.series = m_strBigModel;
  record.fanNo = m_strFanNo;
  record.drive = m_strDriveMode;
  record.speed = m_strSpeed;
  record.catalogue = GetDataLibPath() + L"\\ZRFan.Mdb";
  if (m_DutyResult && m_DutyResult->series == m_strBigModel && m_DutyResult->fanNo == m_strFanNo &&
      m_DutyResult->drive == m_strDriveMode && m_DutyResult->speed == m_strSpeed) {
    FanRecord duty = *m_DutyResult;
    duty.catalogue = record.catalogue;
    duty.source = FanSource::Duty;
    return duty;
  }
  if (m_nSelectMode == kSelectByParameters) {
    record.source = FanSource::Parameters;
    record.flow = m_dFlux;
    record.pressure = m_dAllPress;
    record.airTemp = m_dAirTemp;
    record.atmPressure = m_dAtmPressure;
  }
  return record;
}
