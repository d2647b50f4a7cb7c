// The fan dialog's view drawings and preview: names of the current model's
// view drawing and view block, the preview refresh, the outlet-angle list, the
// base-point cross, and the view, hand and angle handlers.
//
// The view drawing comes from m_ViewDrawings, which reads the file again only
// when it has changed since it was read last.
//
// The preview database: each successful refresh writes the view block out
// into a new database (m_pPreviewDb) and hands it to m_Preview.init, which
// owns it from then on and frees the one it held before. The dialog never
// frees it; m_pPreviewDb is null or the database last handed over (or being
// prepared for handing over) and is valid for as long as the dialog is up.
#include <algorithm>
#include <cmath>
#include <memory>

#include "drawings/fan_placement.h"
#include "drawings/preview_settings.h"
#include "drawings/view_names.h"
#include "fandlg/fan_dlg.h"
#include "res/resource.h"
#include "uikit/folders.h"

CString CFanDlg::GetFanBaseName() {
  return ViewDrawingBaseName(m_strBigModel, m_strFanNo, m_strDriveMode);
}

CString CFanDlg::GetFanDwgFileName() { return ViewDrawingFileName(GetFanBaseName()); }

CString CFanDlg::GetFanDwgPath() { return ViewDrawingPath(GetDwgPath(), GetFanDwgFileName()); }

CString CFanDlg::GetViewBlockName() { return ViewBlockName(m_nView, m_strHand, m_strAngle); }

void CFanDlg::ClearPreview() {
  m_Preview.erasePreview();
  m_Preview.SetWindowText(L"");
}

void CFanDlg::RefreshPreview(BOOL bRefillAngles) {
  const CString strPath = GetFanDwgPath();
  const CString strBlock = GetViewBlockName();
  // Others may go on reading and writing the file meanwhile: it is read whole at once.
  AcDbDatabase* pViewDb = m_ViewDrawings.GetForBlock(strPath, strBlock, _SH_DENYNO);
  if (pViewDb == nullptr) {
    ClearPreview();
    return;
  }
  if (bRefillAngles) FillAngleList(pViewDb);

  AcDbBlockTable* pTable = nullptr;
  if (pViewDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) {
    ClearPreview();
    return;
  }
  AcDbBlockTableRecord* pRecord = nullptr;
  if (strBlock.IsEmpty() || pTable->getAt(strBlock, pRecord, AcDb::kForRead) != Acad::eOk) {
    pTable->close();
    ClearPreview();
    return;
  }
  pTable->close();

  const AcDbObjectId blockId = pRecord->objectId();
  // The database m_pPreviewDb pointed to stays the control's until init
  // replaces it, so a failed extraction leaves nothing to free here.
  if (pViewDb->wblock(m_pPreviewDb, blockId) != Acad::eOk) {
    m_pPreviewDb = nullptr;
    pRecord->close();
    ClearPreview();
    return;
  }
  DrawBasePointMark(m_pPreviewDb, blockId);
  pRecord->close();

  m_Preview.init(m_pPreviewDb, true, true);
  SetUpPreviewGraphics();
}

void CFanDlg::SetUpPreviewGraphics() {
  const DWORD dwStyle = kPreviewCtrlStyle;
  m_Preview.SetCtrlStyle(dwStyle);
  if (AcGsView* pView = m_Preview.view()) pView->setFrameMargin(kPreviewFrameMargin);
  if (AcGsDevice* pDevice = m_Preview.device()) {
    AcGsColor color = pDevice->getBackgroundColor();
    color.m_red = color.m_green = color.m_blue = 0;
    pDevice->setBackgroundColor(color);
  }
  if (AcGsModel* pModel = m_Preview.model()) pModel->setRenderModeOverride(kPreviewRenderMode);
  m_Preview.Redraw();
}

bool CFanDlg::FillAngleList(AcDbDatabase* pDb) {
  m_cbAngle.ResetContent();
  AcDbBlockTable* pTable = nullptr;
  if (pDb == nullptr || pDb->getBlockTable(pTable, AcDb::kForRead) != Acad::eOk) return false;
  pTable->close();
  // The hand as the combo shows it now, which a hand change has already set.
  CString strHand;
  m_cbHand.GetWindowText(strHand);
  for (const CString& strAngle : OfferedAngles(pDb, HandLetter(strHand))) {
    m_cbAngle.AddString(strAngle);
  }
  m_cbAngle.SetCurSel(0);
  return true;
}

bool CFanDlg::GetBlockSize(AcDbObjectId blockId, AcGePoint3d& size) {
  return ViewBlockSize(blockId, size);
}

bool CFanDlg::DrawBasePointMark(AcDbDatabase* pDb, AcDbObjectId blockId) {
  CRect rect(0, 0, 0, 0);
  if (CWnd* pControl = GetDlgItem(IDC_STATIC_PREVIEW)) {
    pControl->GetWindowRect(&rect);
    ScreenToClient(&rect);
  }
  return AddBasePointMark(pDb, blockId, std::max(rect.Width(), rect.Height()));
}

void CFanDlg::OnFrontView() {
  m_nView = kFrontView;
  RefreshPreview(FALSE);
}

void CFanDlg::OnSideView() {
  m_nView = kSideView;
  RefreshPreview(FALSE);
}

void CFanDlg::OnTopView() {
  m_nView = kTopView;
  RefreshPreview(FALSE);
}

void CFanDlg::OnHandSelChange() {
  m_cbHand.GetWindowText(m_strHand);
  RefreshPreview(TRUE);
  m_cbAngle.SetCurSel(0);
  OnAngleSelChange();
}

void CFanDlg::OnHandEditChange() {}

void CFanDlg::OnAngleEditChange() {
  UpdateData(TRUE);
  RefreshPreview(FALSE);
}

// With no item selected (an empty list) the angle keeps its previous text.
void CFanDlg::OnAngleSelChange() {
  const int nItem = m_cbAngle.GetCurSel();
  if (nItem != CB_ERR) m_cbAngle.GetLBText(nItem, m_strAngle);
  RefreshPreview(FALSE);
}

void CFanDlg::OnAngleSelEndOk() {}
