// Placing a fan: the view block is copied into the current drawing under the
// model's name, the host's INSERT command places a reference on the layer
// AC_EQUIPMENT at the rotation and point the user gives, and the reference is
// tagged with the model's extended data. The dialog steps aside meanwhile and
// the current layer is the same before and after.
#include <memory>
#include <numbers>

#include "base/file_functions.h"
#include "cad/aced.h"
#include "cadkit/block_helpers.h"
#include "cadkit/xdata.h"
#include "db/probe_query.h"
#include "drawings/view_names.h"
#include "fandlg/fan_dlg.h"
#include "fandlg/field_text.h"
#include "win/message_box.h"

namespace {

constexpr const ACHAR* kEquipmentLayer = L"AC_EQUIPMENT";
constexpr const ACHAR* kFanName = L"离心式风机";
constexpr const ACHAR* kFanType = L"FAN";

}  // namespace

bool CFanDlg::MakeEquipmentLayerCurrent(AcDbDatabase* pDb, AcDbObjectId& oldLayer) {
  AcDbLayerTable* pTable = nullptr;
  if (pDb->getLayerTable(pTable, AcDb::kForWrite) != Acad::eOk) return false;
  oldLayer = pDb->clayer();
  if (!pTable->has(kEquipmentLayer)) {
    auto pLayer = std::make_unique<AcDbLayerTableRecord>();
    pLayer->setName(kEquipmentLayer);
    pLayer->setIsFrozen(false);
    pLayer->setIsOff(false);
    pLayer->setVPDFLT(false);
    pLayer->setIsLocked(false);
    if (pTable->add(pLayer.get()) == Acad::eOk) pLayer.release()->close();
  }
  AcDbObjectId layerId;
  pTable->getAt(kEquipmentLayer, layerId);
  pTable->close();
  pDb->setClayer(layerId);
  return true;
}

void CFanDlg::OnPlaceFan() {
  const CString strPath = GetFanDwgPath();
  const CString strSource = GetViewBlockName();
  // Others may read the file while it is read, but not write it.
  AcDbDatabase* pViewDb = m_ViewDrawings.Get(strPath, _SH_DENYWR);
  if (pViewDb == nullptr) {
    // A model without a view drawing has nothing to place; one whose drawing
    // is there but cannot be read is told why.
    if (PathFileExists(strPath)) {
      CString strText;
      strText.Format(L"图形文件%s无法读取,无法布置!\n%s", strPath.GetString(),
                     m_ViewDrawings.LastErrorText().GetString());
      AfxMessageBox(strText, MB_OK | MB_ICONEXCLAMATION);
    }
    return;
  }

  const CString strPlaced = PlacedBlockName(GetFanBaseName(), strSource);
  std::vector<ACHAR> source(strSource.str().begin(), strSource.str().end());
  std::vector<ACHAR> placed(strPlaced.str().begin(), strPlaced.str().end());
  source.push_back(0);
  placed.push_back(0);
  AcDbDatabase* pCurDb = acdbHostApplicationServices()->workingDatabase();
  // What a placement that does not happen changed (the block copied in, the
  // layer made, the current layer) is taken back: the drawing stays as it was,
  // and unmodified if it was.
  const zrcad::UndoMark mark = pCurDb->undoMark();
  if (CopyBlockTableRecord(pViewDb, source.data(), pCurDb, placed.data()) != 1) {
    pCurDb->rollBackTo(mark);
    return;
  }

  AcDbObjectId oldLayer;
  if (!MakeEquipmentLayerCurrent(pCurDb, oldLayer)) {
    pCurDb->rollBackTo(mark);
    return;
  }
  BeginEditorCommand();
  ads_real dAngle = 0;
  const int nAngleResult = acedGetAngle(nullptr, L"\n请输入风机插入角度:", &dAngle);
  // Enter places the fan unrotated; Esc gives the placement up.
  if (nAngleResult != RTNORM) dAngle = 0;
  const double dDegrees = dAngle / std::numbers::pi * 180;
  int nResult = RTCAN;
  if (nAngleResult == RTNORM || nAngleResult == RTNONE) {
    acutPrintf(L"\n请点取插入点:");
    nResult = acedCommand(RTSTR, L"INSERT", RTSTR, placed.data(), RTSTR, L"S", RTREAL, 1.0, RTSTR,
                          L"R", RTREAL, dDegrees, RTSTR, PAUSE, RTNONE);
  }
  if (nResult != RTNORM) {
    acutPrintf(L"布置失败!\n");
  } else {
    TagPlacedFan();
  }
  pCurDb->setClayer(oldLayer);
  if (nResult != RTNORM) pCurDb->rollBackTo(mark);
  CompleteEditorCommand(TRUE);
}

void CFanDlg::TagPlacedFan() {
  ads_name last;
  AcDbObjectId id;
  if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk || id.isNull()) {
    return;
  }
  SetXdata(id, L"Model", ModelLabel(GetFanBaseName(), m_strSpeed));

  CString strSql;
  strSql.Format(
      L"select * From Model where BigModel like '%s' and DriveMode like '%s' and FanNo like '%s' "
      L"and Speed like '%s'",
      m_strBigModel.GetString(), m_strDriveMode.GetString(), m_strFanNo.GetString(),
      m_strSpeed.GetString());
  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, strSql);
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
