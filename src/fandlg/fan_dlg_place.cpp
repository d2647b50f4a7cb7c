// Placing a fan: the view block is copied into the current drawing under the
// model's name, the host's INSERT command places a reference on the layer
// AC_EQUIPMENT at the rotation and point the user gives, and the reference is
// tagged with the model's extended data. The dialog steps aside meanwhile and
// the current layer is the same before and after.
#include <memory>
#include <numbers>

#include "cad/aced.h"
#include "cadkit/block_helpers.h"
#include "cadkit/xdata.h"
#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "drawings/view_names.h"
#include "fandlg/fan_dlg.h"

namespace {

constexpr const ACHAR* kEquipmentLayer = L"AC_EQUIPMENT";
constexpr const ACHAR* kFanName = L"离心式风机";
constexpr const ACHAR* kFanType = L"FAN";

// Whether the drawing already has the placed block and the equipment layer: a
// placement given up then leaves nothing of its own behind.
bool HasBlockAndLayer(AcDbDatabase* pDb, const ACHAR* blockName) {
  bool bBlock = false, bLayer = false;
  AcDbBlockTable* pBlocks = nullptr;
  if (pDb->getBlockTable(pBlocks, AcDb::kForRead) == Acad::eOk) {
    bBlock = pBlocks->has(blockName);
    pBlocks->close();
  }
  AcDbLayerTable* pLayers = nullptr;
  if (pDb->getLayerTable(pLayers, AcDb::kForRead) == Acad::eOk) {
    bLayer = pLayers->has(kEquipmentLayer);
    pLayers->close();
  }
  return bBlock && bLayer;
}

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
  if (pViewDb == nullptr) return;

  const CString strPlaced = PlacedBlockName(GetFanBaseName(), strSource);
  std::vector<ACHAR> source(strSource.str().begin(), strSource.str().end());
  std::vector<ACHAR> placed(strPlaced.str().begin(), strPlaced.str().end());
  source.push_back(0);
  placed.push_back(0);
  AcDbDatabase* pCurDb = acdbHostApplicationServices()->workingDatabase();
  // A placement given up keeps the block it copied in and the layer it made;
  // when both were there already it changed nothing, and the drawing is put
  // back as it was (not marked modified by the layer made current and back).
  const bool bNothingNew = HasBlockAndLayer(pCurDb, placed.data());
  const zrcad::UndoMark mark = pCurDb->undoMark();
  if (CopyBlockTableRecord(pViewDb, source.data(), pCurDb, placed.data()) != 1) return;

  AcDbObjectId oldLayer;
  if (!MakeEquipmentLayerCurrent(pCurDb, oldLayer)) return;
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
  if (nResult != RTNORM && bNothingNew) pCurDb->rollBackTo(mark);
  CompleteEditorCommand(TRUE);
}

void CFanDlg::TagPlacedFan() {
  ads_name last;
  AcDbObjectId id;
  if (acdbEntLast(last) != RTNORM || acdbGetObjectId(id, last) != Acad::eOk || id.isNull()) {
    return;
  }
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
