// The model cascade: the four list fillers, the first fill and the selection
// handlers of the series, fan-number and drive-mode combos.
#include <unordered_set>

#include "db/catalogue_statements.h"
#include "db/field_text.h"
#include "db/probe_query.h"
#include "fandlg/fan_dlg.h"

namespace {

void ComboText(CComboBox& combo, CString& text) { combo.GetWindowText(text); }

}  // namespace

CString CFanDlg::FillList(const CString& strSql, LPCTSTR lpszColumn, CComboBox& combo,
                          bool bEmptyFirst, bool* pbFilled) {
  if (pbFilled) *pbFilled = false;
  _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, strSql);
  if (pRecordset == nullptr) return CString();
  if (pRecordset->GetBOF()) {
    pRecordset->Close();
    return CString();
  }

  CStringArray values;
  std::unordered_set<std::wstring> seen;  // equality is exact: case-sensitive, no trimming
  while (!pRecordset->GetadoEOF()) {
    const _variant_t value = pRecordset->GetCollect(lpszColumn);
    if (value.vt != VT_NULL) {
      const CString text = FieldText(value);
      if (seen.insert(text.str()).second) values.Add(text);
    }
    pRecordset->MoveNext();
  }

  if (bEmptyFirst) combo.ResetContent();
  for (int i = 0; i < values.GetSize(); ++i) combo.AddString(values[i]);
  combo.SetCurSel(0);
  pRecordset->Close();

  CString selected;
  ComboText(combo, selected);
  if (pbFilled) *pbFilled = true;
  return selected;
}

CString CFanDlg::FillBigModelList() {
  return FillList(SqlAllModels(), L"BigModel", m_cbBigModel, false);
}

CString CFanDlg::FillFanNoList(CString strBigModel) {
  if (strBigModel.IsEmpty()) return CString();
  return FillList(SqlModelsOfSeries(strBigModel), L"FanNo", m_cbFanNo, true);
}

CString CFanDlg::FillDriveModeList(CString strBigModel, CString strFanNo) {
  if (strBigModel.IsEmpty() || strFanNo.IsEmpty()) return CString();
  return FillList(SqlModelsOfFanNo(strBigModel, strFanNo), L"DriveMode", m_cbDriveMode, true);
}

CString CFanDlg::FillSpeedList(CString strBigModel, CString strFanNo, CString strDriveMode) {
  if (strBigModel.IsEmpty() || strFanNo.IsEmpty() || strDriveMode.IsEmpty()) return CString();
  bool bFilled = false;
  const CString strSpeed = FillList(SqlModelsOfDriveMode(strBigModel, strFanNo, strDriveMode),
                                    L"Speed", m_cbSpeed, true, &bFilled);
  // A filler that stopped early leaves the member as it was, like its combo.
  if (bFilled) m_strSpeed = strSpeed;
  return strSpeed;
}

BOOL CFanDlg::FillCascade() {
  m_strBigModel = FillBigModelList();
  m_strFanNo = FillFanNoList(m_strBigModel);
  m_strDriveMode = FillDriveModeList(m_strBigModel, m_strFanNo);
  FillSpeedList(m_strBigModel, m_strFanNo, m_strDriveMode);
  OnBigModelSelChange();
  UpdateData(FALSE);
  return TRUE;
}

void CFanDlg::FillFromModels(CComboBox& combo, CascadeLevel level) {
  combo.ResetContent();
  for (int i = 0; i < m_Models.GetSize(); ++i) {
    const Model& model = m_Models[i];
    if (model.BigModel != m_strBigModel) continue;
    if (level != CascadeLevel::FanNo && model.FanNo != m_strFanNo) continue;
    if (level == CascadeLevel::Speed && model.DriveMode != m_strDriveMode) continue;
    const CString& value = level == CascadeLevel::FanNo       ? model.FanNo
                           : level == CascadeLevel::DriveMode ? model.DriveMode
                                                              : model.Speed;
    AddDistinctItem(combo, value);
  }
  combo.SetCurSel(0);
}

// The combo's own search ignores letter case; values that differ only in case
// are distinct models, so each item is compared exactly.
void CFanDlg::AddDistinctItem(CComboBox& combo, const CString& value) {
  for (int k = 0; k < combo.GetCount(); ++k) {
    CString item;
    combo.GetLBText(k, item);
    if (item == value) return;
  }
  combo.AddString(value);
}

void CFanDlg::OnBigModelSelChange() {
  ComboText(m_cbBigModel, m_strBigModel);
  if (m_strBigModel.IsEmpty()) return;
  if (m_nSelectMode == kBrowseAll) {
    m_strFanNo = FillFanNoList(m_strBigModel);
    m_strDriveMode = FillDriveModeList(m_strBigModel, m_strFanNo);
    FillSpeedList(m_strBigModel, m_strFanNo, m_strDriveMode);
  } else {
    FillFromModels(m_cbFanNo, CascadeLevel::FanNo);
  }
  UpdateData(FALSE);
  OnFanNoSelChange();
}

void CFanDlg::OnFanNoSelChange() {
  ComboText(m_cbBigModel, m_strBigModel);
  if (m_strBigModel.IsEmpty()) return;
  ComboText(m_cbFanNo, m_strFanNo);
  if (m_strFanNo.IsEmpty()) return;
  if (m_nSelectMode == kBrowseAll) {
    m_strDriveMode = FillDriveModeList(m_strBigModel, m_strFanNo);
    FillSpeedList(m_strBigModel, m_strFanNo, m_strDriveMode);
  } else {
    FillFromModels(m_cbDriveMode, CascadeLevel::DriveMode);
  }
  UpdateData(FALSE);
  OnDriveModeSelChange();
}

void CFanDlg::OnDriveModeSelChange() {
  m_GridParam.DeleteAllItems();
  ComboText(m_cbBigModel, m_strBigModel);
  if (m_strBigModel.IsEmpty()) return;
  ComboText(m_cbFanNo, m_strFanNo);
  if (m_strFanNo.IsEmpty()) return;
  ComboText(m_cbDriveMode, m_strDriveMode);
  if (m_strDriveMode.IsEmpty()) return;
  if (m_nSelectMode == kBrowseAll) {
    FillSpeedList(m_strBigModel, m_strFanNo, m_strDriveMode);
  } else {
    FillFromModels(m_cbSpeed, CascadeLevel::Speed);
    ComboText(m_cbSpeed, m_strSpeed);
  }
  OnSpeedSelChange();
  RefreshPreview(TRUE);
  UpdateData(FALSE);
}
