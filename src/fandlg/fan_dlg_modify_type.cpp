// Button 205 "修改类型": the model list editor, run on the dialog's catalogue connection,
// and the reload of what the dialog shows of the catalogue once it closes.
#include "db/probe_query.h"
#include "fandlg/fan_dlg.h"
#include "fandlg/field_text.h"
#include "host/fan_module.h"
#include "host/resource_handle_scope.h"
#include "styledlg/style_dlg.h"

namespace {

// Selects the item whose text is exactly text; true when that changed the selection.
bool SelectExact(CComboBox& combo, const CString& text) {
  for (int i = 0; i < combo.GetCount(); ++i) {
    CString item;
    combo.GetLBText(i, item);
    if (item != text) continue;
    if (combo.GetCurSel() == i) return false;
    combo.SetCurSel(i);
    return true;
  }
  return false;
}

}  // namespace

// The editor's template is this module's: its resources are current for the
// run and the host's come back afterwards, also when the run throws. The
// editor writes every change at once, so the lists and grids are loaded again
// when it closes: what they showed may name a model that is gone or changed.
void CFanDlg::OnModifyType() {
  const int nModelID = GetModelID();
  {
    ResourceHandleScope scope(ModuleInstanceHandle());
    CStyleDlg dlg(&m_FanDb, nullptr);
    dlg.DoModal();
  }
  ReloadAfterModelEdit(nModelID);
}

// As choosing the model again would: the series list is filled afresh and the
// model is chosen down the lists through their handlers, which reload the grids
// and the preview. The model is followed by its ID, so that one whose values
// the editor changed (its speed, say) is shown with them; a value no longer
// listed leaves its list on the first item.
void CFanDlg::ReloadAfterModelEdit(int nModelID) {
  // Parameter mode lists the models its search found, and the editor is not
  // offered there.
  if (m_nSelectMode != kBrowseAll) return;
  CString wanted[] = {m_strBigModel, m_strFanNo, m_strDriveMode, m_strSpeed};
  if (nModelID > 0) {
    CString strSql;
    strSql.Format(L"Select * from Model where ID like %d", nModelID);
    _RecordsetPtr pRecordset = ProbeAndOpen(m_FanDb, strSql);
    if (pRecordset != nullptr) {
      try {
        if (!pRecordset->GetBOF()) {
          const wchar_t* const kColumns[] = {L"BigModel", L"FanNo", L"DriveMode", L"Speed"};
          for (int i = 0; i < 4; ++i) wanted[i] = FieldText(pRecordset->GetCollect(kColumns[i]));
        }
      } catch (const _com_error&) {
        // A Model table without one of the columns: the lists' own texts are kept.
      }
      pRecordset->Close();
    }
  }
  m_cbBigModel.ResetContent();
  FillBigModelList();
  SelectExact(m_cbBigModel, wanted[0]);
  OnBigModelSelChange();
  if (SelectExact(m_cbFanNo, wanted[1])) OnFanNoSelChange();
  if (SelectExact(m_cbDriveMode, wanted[2])) OnDriveModeSelChange();
  if (SelectExact(m_cbSpeed, wanted[3])) OnSpeedSelChange();
}
